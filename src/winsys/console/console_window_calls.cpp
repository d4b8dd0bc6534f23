#include "winsys/console/console_window_calls.h"

namespace sprite::winsys {

HWND ConsoleWindowCalls::CreateWindowExA(std::int32_t, const std::string& className,
                                         const std::string&, std::uint32_t, std::int32_t,
                                         std::int32_t, std::int32_t, std::int32_t, HWND,
                                         std::int32_t, HINSTANCE, LPARAM) {
  if (className != kProgressClass) {
    return 0;
  }
  const HWND handle = nextHandle_++;
  bars_[handle] = ProgressBarState{};
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
  ProgressBarState& bar = it->second;
  const ProgressBarState::Answer answer = bar.HandleMessage(message, wParam, lParam);
  if (answer.change == ProgressBarState::Change::kPosition) {
    terminal_.ShowBar(window, static_cast<std::int32_t>(bar.Filled(100)));
  }
  return answer.result;
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
