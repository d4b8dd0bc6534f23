#include "winsys/win32/win32_window_calls.h"

#include "winsys/win32/win32_windows.h"

#include <uxtheme.h>

namespace sprite::winsys::win32 {

void Win32WindowCalls::InitCommonControls() {
  INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&classes);
}

HWND Win32WindowCalls::CreateWindowExA(std::int32_t exStyle, const std::string& className,
                                       const std::string& windowName, std::uint32_t style,
                                       std::int32_t x, std::int32_t y, std::int32_t width,
                                       std::int32_t height, HWND parent, std::int32_t menu,
                                       HINSTANCE, LPARAM param) {
  const ::HWND created =
      ::CreateWindowExW(static_cast<DWORD>(exStyle), Wide(className).c_str(),
                        Wide(windowName).c_str(), style, x, y, width, height, SystemWindow(parent),
                        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(menu)), Module(),
                        reinterpret_cast<void*>(param));
  // Under visual styles the theme draws the bar and ignores PBM_SETBARCOLOR
  // and PBM_SETBKCOLOR: a bar shows the colours it is given, as the classic one did.
  if (created != nullptr && className == PROGRESS_CLASSA) {
    ::SetWindowTheme(created, L"", L"");
  }
  return LayerWindow(created);
}

bool Win32WindowCalls::DestroyWindow(HWND window) {
  return ::DestroyWindow(SystemWindow(window)) != 0;
}

bool Win32WindowCalls::MoveWindow(HWND window, std::int32_t x, std::int32_t y, std::int32_t width,
                                  std::int32_t height, bool repaint) {
  return ::MoveWindow(SystemWindow(window), x, y, width, height, repaint ? TRUE : FALSE) != 0;
}

LRESULT Win32WindowCalls::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The control messages carry numbers and pointers, the same in both forms.
  return ::SendMessageW(SystemWindow(window), message, wParam, lParam);
}

HWND Win32WindowCalls::SetParent(HWND child, HWND newParent) {
  return LayerWindow(::SetParent(SystemWindow(child), SystemWindow(newParent)));
}

bool Win32WindowCalls::ShowWindow(HWND window, std::int32_t command) {
  return ::ShowWindow(SystemWindow(window), command) != 0;
}

std::int32_t Win32WindowCalls::SetWindowLongA(HWND window, std::int32_t index, std::int32_t value) {
  return static_cast<std::int32_t>(::SetWindowLongW(SystemWindow(window), index, value));
}

bool Win32WindowCalls::SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y,
                                    std::int32_t cx, std::int32_t cy, UINT flags) {
  return ::SetWindowPos(SystemWindow(window), SystemWindow(insertAfter), x, y, cx, cy, flags) != 0;
}

std::int32_t Win32WindowCalls::OleTranslateColor(std::uint32_t colour, HPALETTE palette,
                                                 std::uint32_t* rgb) {
  COLORREF translated = 0;
  const HRESULT status = ::OleTranslateColor(
      colour, reinterpret_cast<::HPALETTE>(static_cast<std::intptr_t>(palette)), &translated);
  if (rgb != nullptr && status == S_OK) {
    *rgb = translated;
  }
  return static_cast<std::int32_t>(status);
}

}  // namespace sprite::winsys::win32
