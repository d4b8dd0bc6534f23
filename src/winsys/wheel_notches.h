// Whole notches out of the fractions a fine mouse wheel sends, as both
// picture windows report them.
#pragma once

#include <cstdint>

namespace sprite::winsys {

class WheelNotches {
 public:
  // One notch, in the eighths of a degree both systems count a turn in.
  static constexpr std::int32_t kNotch = 120;

  // Adds a turn (`across`: a wheel that turns sideways) and returns the whole
  // notches it completes; the rest waits for the next turn the same way.
  std::int32_t Add(std::int32_t delta, bool across) {
    if (across != across_) {
      across_ = across;
      rest_ = 0;  // the fraction of a notch was the other way
    }
    rest_ += delta;
    const std::int32_t notches = rest_ / kNotch;
    rest_ -= notches * kNotch;
    return notches;
  }

 private:
  std::int32_t rest_ = 0;
  bool across_ = false;
};

}  // namespace sprite::winsys
