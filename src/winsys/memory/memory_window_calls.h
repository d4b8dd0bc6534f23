#pragma once

#include <cstdint>
#include <map>

#include "winsys/emulated/progress_bar_state.h"
#include "winsys/window_calls.h"

namespace sprite::winsys {

// Window calls in memory: "msctls_progress32" windows answer their messages
// as the system's do; every other class makes no window.
class MemoryWindowCalls : public WindowCalls {
 public:
  void InitCommonControls() override {}
  HWND CreateWindowExA(std::int32_t exStyle, const std::string& className,
                       const std::string& windowName, std::uint32_t style, std::int32_t x,
                       std::int32_t y, std::int32_t width, std::int32_t height, HWND parent,
                       std::int32_t menu, HINSTANCE instance, LPARAM param) override;
  bool DestroyWindow(HWND window) override;
  bool MoveWindow(HWND window, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                  bool) override {
    return bars_.count(window) != 0;
  }
  LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  HWND SetParent(HWND, HWND) override { return 0; }
  bool ShowWindow(HWND window, std::int32_t) override { return bars_.count(window) != 0; }
  std::int32_t SetWindowLongA(HWND, std::int32_t, std::int32_t) override { return 0; }
  bool SetWindowPos(HWND window, HWND, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    UINT) override {
    return bars_.count(window) != 0;
  }
  std::int32_t OleTranslateColor(std::uint32_t colour, HPALETTE, std::uint32_t* rgb) override;

 private:
  std::map<HWND, ProgressBarState> bars_;
  HWND nextHandle_ = 1000000;
};

}  // namespace sprite::winsys
