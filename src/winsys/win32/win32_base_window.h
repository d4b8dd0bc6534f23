// The window-procedure hookup of the backend's top-level windows, written once.
#pragma once

#include <string>

#include "common/error.h"
#include "winsys/win32/win32_windows.h"

namespace sprite::winsys::win32 {

// A top-level window whose messages go to Derived::Handle(message, wParam,
// lParam). Derived registers its class with Procedure and calls Create: the
// object rides on CreateWindowExW's last argument, WM_NCCREATE keeps it in the
// window's GWLP_USERDATA, and from there every message finds it. Messages sent
// while CreateWindowExW has not returned, and after Destroy, get the default
// handling: Derived is not yet, or no longer, whole.
template <typename Derived>
class BaseWindow {
 public:
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;

  ::HWND System() const { return window_; }

  // The object a window made by Create belongs to; nullptr once it is destroyed.
  static Derived* ObjectOf(::HWND window) {
    auto* base = reinterpret_cast<BaseWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return base == nullptr ? nullptr : static_cast<Derived*>(base);
  }

 protected:
  BaseWindow() = default;
  ~BaseWindow() = default;

  // A window of `className`, 100 by 100 pixels until Derived lays it out.
  // InvalidArgumentError when the system makes none.
  void Create(DWORD exStyle, const wchar_t* className, const std::string& caption, DWORD style) {
    window_ = ::CreateWindowExW(exStyle, className, Wide(caption).c_str(), style, CW_USEDEFAULT,
                                CW_USEDEFAULT, 100, 100, nullptr, nullptr, Module(), this);
    if (window_ == nullptr) {
      throw InvalidArgumentError("the window \"" + caption + "\" could not be made");
    }
  }

  // Destroys the window; the messages its destruction sends no longer reach Derived.
  void Destroy() {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }

  static LRESULT CALLBACK Procedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    Derived* self = ObjectOf(window);
    if (self == nullptr || self->window_ == nullptr) {
      return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
  }

  ::HWND window_ = nullptr;
};

}  // namespace sprite::winsys::win32
