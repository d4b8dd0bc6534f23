#include "winsys/memory/memory_window_calls.h"

namespace sprite::winsys {

HWND MemoryWindowCalls::CreateWindowExA(std::int32_t, const std::string& className,
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

bool MemoryWindowCalls::DestroyWindow(HWND window) {
  return bars_.erase(window) != 0;
}

LRESULT MemoryWindowCalls::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto it = bars_.find(window);
  if (it == bars_.end()) {
    return 0;
  }
  return it->second.HandleMessage(message, wParam, lParam).result;
}

std::int32_t MemoryWindowCalls::OleTranslateColor(std::uint32_t colour, HPALETTE,
                                                  std::uint32_t* rgb) {
  // Memory draws no colours; any value translates to itself.
  if (rgb != nullptr) {
    *rgb = colour & 0x00FFFFFF;
  }
  return 0;
}

}  // namespace sprite::winsys
