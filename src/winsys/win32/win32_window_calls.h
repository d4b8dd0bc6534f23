#pragma once

#include "winsys/window_calls.h"

namespace sprite::winsys::win32 {

// The window calls passed to the system: "msctls_progress32" is the system's
// own progress bar control. Names are given in UTF-16; the instance handle is
// always this program's, whatever the caller holds.
class Win32WindowCalls : public WindowCalls {
 public:
  void InitCommonControls() override;
  HWND CreateWindowExA(std::int32_t exStyle, const std::string& className,
                       const std::string& windowName, std::uint32_t style, std::int32_t x,
                       std::int32_t y, std::int32_t width, std::int32_t height, HWND parent,
                       std::int32_t menu, HINSTANCE instance, LPARAM param) override;
  bool DestroyWindow(HWND window) override;
  bool MoveWindow(HWND window, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height, bool repaint) override;
  LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  HWND SetParent(HWND child, HWND newParent) override;
  bool ShowWindow(HWND window, std::int32_t command) override;
  std::int32_t SetWindowLongA(HWND window, std::int32_t index, std::int32_t value) override;
  bool SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y, std::int32_t cx,
                    std::int32_t cy, UINT flags) override;
  std::int32_t OleTranslateColor(std::uint32_t colour, HPALETTE palette,
                                 std::uint32_t* rgb) override;
};

}  // namespace sprite::winsys::win32
