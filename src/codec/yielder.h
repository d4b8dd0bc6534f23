#pragma once

namespace sprite::codec {

// Lets the window process its pending messages during long codec work.
class Yielder {
 public:
  virtual ~Yielder() = default;
  virtual void Yield() = 0;
};

}  // namespace sprite::codec
