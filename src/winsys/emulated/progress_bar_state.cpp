#include "winsys/emulated/progress_bar_state.h"

#include <algorithm>
#include <utility>

namespace sprite::winsys {
namespace {

std::int32_t Low32(std::uint64_t value) {
  return static_cast<std::int32_t>(value & 0xFFFFFFFF);
}

// Two 16-bit halves in one result, low half first, as the native control packs a range.
LRESULT PackedRange(std::int32_t low, std::int32_t high) {
  return static_cast<LRESULT>((static_cast<std::uint32_t>(low) & 0xFFFF) |
                              ((static_cast<std::uint32_t>(high) & 0xFFFF) << 16));
}

}  // namespace

ProgressBarState::Answer ProgressBarState::HandleMessage(UINT message, WPARAM wParam,
                                                         LPARAM lParam) {
  const std::int32_t w = Low32(wParam);
  const std::int32_t l = Low32(static_cast<std::uint64_t>(lParam));
  const std::int32_t position = position_;
  switch (message) {
    case PBM_SETRANGE: {
      const LRESULT previous = PackedRange(low_, high_);
      return {previous, SetRange(l & 0xFFFF, (l >> 16) & 0xFFFF)};
    }
    case PBM_SETRANGE32: {
      const LRESULT previous = PackedRange(low_, high_);
      return {previous, SetRange(w, l)};
    }
    case PBM_GETRANGE:
      if (lParam != 0) {
        auto* range = reinterpret_cast<PBRANGE*>(lParam);
        range->iLow = low_;
        range->iHigh = high_;
      }
      return {w != 0 ? low_ : high_};
    case PBM_SETPOS:
      return {position, SetPosition(w)};
    case PBM_DELTAPOS:
      return {position, SetPosition(std::int64_t{position_} + w)};
    case PBM_STEPIT: {
      const std::int64_t next = std::int64_t{position_} + step_;
      // Past the high limit the bar starts over from the low one.
      return {position, SetPosition(next > high_ ? low_ : next)};
    }
    case PBM_SETSTEP:
      return {std::exchange(step_, w)};
    case PBM_GETPOS:
      return {position_};
    case PBM_GETSTEP:
      return {step_};
    case PBM_SETBARCOLOR:
    case PBM_SETBKCOLOR: {
      std::uint32_t& colour = message == PBM_SETBARCOLOR ? barColour_ : backColour_;
      const std::uint32_t previous = std::exchange(colour, static_cast<std::uint32_t>(l));
      return {static_cast<LRESULT>(previous),
              previous != colour ? Change::kColour : Change::kNothing};
    }
    case PBM_GETBARCOLOR:
      return {static_cast<LRESULT>(barColour_)};
    case PBM_GETBKCOLOR:
      return {static_cast<LRESULT>(backColour_)};
    default:
      return {};
  }
}

ProgressBarState::Change ProgressBarState::SetRange(std::int32_t low, std::int32_t high) {
  if (low == low_ && high == high_) {
    return Change::kNothing;
  }
  low_ = low;
  high_ = high;
  SetPosition(position_);
  return Change::kPosition;
}

ProgressBarState::Change ProgressBarState::SetPosition(std::int64_t position) {
  // Low first, then high: with the limits crossed the position ends on the high one.
  if (position < low_) {
    position = low_;
  }
  if (position > high_) {
    position = high_;
  }
  const auto previous = std::exchange(position_, static_cast<std::int32_t>(position));
  return previous != position_ ? Change::kPosition : Change::kNothing;
}

std::int64_t ProgressBarState::Filled(std::int64_t length) const {
  if (length <= 0 || high_ == low_) {
    return 0;
  }
  const std::int64_t filled =
      (std::int64_t{position_} - low_) * length / (std::int64_t{high_} - low_);
  return std::clamp<std::int64_t>(filled, 0, length);
}

}  // namespace sprite::winsys
