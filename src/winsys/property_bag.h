#pragma once

#include <cstdint>
#include <string_view>

namespace sprite::winsys {

// A control's stored properties. Keys match without regard to case. Booleans
// are stored as 16-bit values widened to 32 bits (true = -1).
class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  // The stored value, or `defaultValue` when the key is absent.
  virtual std::int32_t ReadProperty(std::string_view key, std::int32_t defaultValue) = 0;
  // A value equal to its default is left out of the stored data.
  virtual void WriteProperty(std::string_view key, std::int32_t value,
                             std::int32_t defaultValue) = 0;
};

}  // namespace sprite::winsys
