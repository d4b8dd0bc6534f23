#include "winsys/console/console_window_calls.h"

#include <algorithm>

namespace sprite::winsys {

HWND ConsoleWindowCalls::CreateWindowExA(std::int32_t, const std::string& className,
                                         const std::string&, std::uint32_t, std::int32_t,
                                         std::int32_t, std::int32_t, std::int32_t, HWND,
                                         std::int32_t, HINSTANCE, LPARAM) {
  if (className != kProgressClass) {
    return 0;
  }
  const HWND handle = nextHandle_++;
  bars_[handle] = Bar{};
  return handle;
}

bool ConsoleWindowCalls::DestroyWindow(HWND window) {
  terminal_.RemoveBar(window);
  return bars_.erase(window) != 0;
}

LRESULT ConsoleWindowCalls::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto it = bars_.find(window);
  if (it == bars_.end()) {
    return 0;
  }
  Bar& bar = it->second;
  const std::int32_t previous = bar.position;
  switch (message) {
    case PBM_SETRANGE:
      bar.low = static_cast<std::int16_t>(lParam & 0xFFFF);
      bar.high = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
      return 0;
    case PBM_SETRANGE32:
      bar.low = static_cast<std::int32_t>(wParam);
      bar.high = static_cast<std::int32_t>(lParam);
      return 0;
    case PBM_GETRANGE:
      if (lParam != 0) {
        auto* range = reinterpret_cast<PBRANGE*>(lParam);
        range->iLow = bar.low;
        range->iHigh = bar.high;
      }
      return wParam != 0 ? bar.low : bar.high;
    case PBM_SETPOS:
      bar.position = static_cast<std::int32_t>(wParam);
      break;
    case PBM_DELTAPOS:
      bar.position += static_cast<std::int32_t>(wParam);
      break;
    case PBM_SETSTEP:
      bar.step = static_cast<std::int32_t>(wParam);
      return 0;
    case PBM_STEPIT:
      bar.position += bar.step;
      if (bar.position > bar.high) {
        bar.position = bar.low;
      }
      break;
    default:
      return 0;
  }
  bar.position = std::clamp(bar.position, std::min(bar.low, bar.high), std::max(bar.low, bar.high));
  Show(window, bar);
  return previous;
}

void ConsoleWindowCalls::Show(HWND window, const Bar& bar) {
  const std::int64_t span = static_cast<std::int64_t>(bar.high) - bar.low;
  const std::int64_t done = static_cast<std::int64_t>(bar.position) - bar.low;
  const auto percent = static_cast<std::int32_t>(span <= 0 ? 0 : done * 100 / span);
  terminal_.ShowBar(window, percent);
}

std::int32_t ConsoleWindowCalls::OleTranslateColor(std::uint32_t colour, HPALETTE,
                                                   std::uint32_t* rgb) {
  // The console draws no colours; any value translates to itself.
  if (rgb != nullptr) {
    *rgb = colour & 0x00FFFFFF;
  }
  return 0;
}

}  // namespace sprite::winsys
