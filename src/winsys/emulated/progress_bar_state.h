#pragma once

#include <cstdint>

#include "winsys/window_calls.h"

namespace sprite::winsys {

// What a "msctls_progress32" window keeps and how it answers its messages,
// without drawing: a 32-bit range with the position kept inside it, a step
// that starts over from the low limit once it passes the high one, and the
// two colours. Every backend draws from one of these.
class ProgressBarState {
 public:
  enum class Change { kNothing, kPosition, kColour };
  struct Answer {
    LRESULT result = 0;  // the message's result as the native control gives it
    Change change = Change::kNothing;
  };

  // 0 for messages the class does not know.
  Answer HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  std::int32_t Low() const { return low_; }
  std::int32_t High() const { return high_; }
  std::int32_t Position() const { return position_; }
  std::uint32_t BarColour() const { return barColour_; }
  std::uint32_t BackColour() const { return backColour_; }
  // How much of `length` the position fills, from 0 to `length`.
  std::int64_t Filled(std::int64_t length) const;

 private:
  Change SetRange(std::int32_t low, std::int32_t high);
  Change SetPosition(std::int64_t position);

  std::int32_t low_ = 0;
  std::int32_t high_ = 100;
  std::int32_t position_ = 0;
  std::int32_t step_ = 10;
  std::uint32_t barColour_ = CLR_DEFAULT;
  std::uint32_t backColour_ = CLR_DEFAULT;
};

}  // namespace sprite::winsys
