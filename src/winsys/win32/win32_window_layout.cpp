// How a window of the Win32 backend is laid out at its monitor's dots per
// inch: its font, its frame for the design's client area and menu bar, its
// controls following their anchors in a larger window, and its icons.
#include <algorithm>

#include "winsys/win32/win32_window.h"

namespace sprite::winsys::win32 {
namespace {

// An icon drawn from a picture, fully opaque.
::HICON IconOf(const Picture& picture) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = picture.width;
  header.bV5Height = -picture.height;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_RGB;
  void* bits = nullptr;
  ::HDC screen = ::GetDC(nullptr);
  ::HBITMAP colour = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                        DIB_RGB_COLORS, &bits, nullptr, 0);
  ::ReleaseDC(nullptr, screen);
  if (colour == nullptr) {
    return nullptr;
  }
  auto* out = static_cast<std::uint8_t*>(bits);
  for (std::size_t i = 0; i < picture.rgb.size() / 3; ++i) {
    out[i * 4] = picture.rgb[i * 3 + 2];
    out[i * 4 + 1] = picture.rgb[i * 3 + 1];
    out[i * 4 + 2] = picture.rgb[i * 3];
    out[i * 4 + 3] = 0xFF;
  }
  ::HBITMAP mask = ::CreateBitmap(picture.width, picture.height, 1, 1, nullptr);
  ICONINFO icon{TRUE, 0, 0, mask, colour};
  ::HICON made = ::CreateIconIndirect(&icon);
  ::DeleteObject(mask);
  ::DeleteObject(colour);
  return made;
}

}  // namespace

void Win32Window::LayOut(unsigned dpi) {
  dpi_ = dpi;
  ::HFONT old = font_;
  font_ = CreateDesignFont(design_.font, dpi);
  for (const PlacedControl& control : placed_) {
    ::SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  ::DeleteObject(old);
  const ::SIZE frame = DesignFrame();
  ::SetWindowPos(window_, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls();
  SetIcons(dpi);
  ::InvalidateRect(window_, nullptr, TRUE);
}

::SIZE Win32Window::DesignFrame() const {
  ::RECT frame{0, 0, PixelsOf(design_.clientWidth, dpi_), PixelsOf(design_.clientHeight, dpi_)};
  ::AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(::GetWindowLongW(window_, GWL_STYLE)),
                             menuBar_ ? TRUE : FALSE,
                             static_cast<DWORD>(::GetWindowLongW(window_, GWL_EXSTYLE)), dpi_);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

::RECT Win32Window::ControlRect(const PlacedControl& control) const {
  ::RECT client{};
  ::GetClientRect(window_, &client);
  const PixelRect design{PixelsOf(control.rect.left, dpi_), PixelsOf(control.rect.top, dpi_),
                         PixelsOf(control.rect.width, dpi_), PixelsOf(control.rect.height, dpi_)};
  const int extraWidth =
      std::max(0, static_cast<int>(client.right) - PixelsOf(design_.clientWidth, dpi_));
  const int extraHeight =
      std::max(0, static_cast<int>(client.bottom) - PixelsOf(design_.clientHeight, dpi_));
  const PixelRect at = Anchored(design, control.anchors, extraWidth, extraHeight);
  return {at.left, at.top, at.left + at.width, at.top + at.height};
}

void Win32Window::PlaceControls() {
  for (const PlacedControl& control : placed_) {
    const ::RECT at = ControlRect(control);
    ::MoveWindow(control.window, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
  }
}

void Win32Window::SetIcons(unsigned dpi) {
  ::HICON oldBig = bigIcon_;
  ::HICON oldSmall = smallIcon_;
  if (!design_.icon.Empty()) {
    bigIcon_ = IconOf(design_.icon);
    smallIcon_ = IconOf(design_.icon);
  } else {
    const auto load = [dpi](int widthMetric, int heightMetric) {
      return static_cast<::HICON>(::LoadImageW(
          Module(), ProgramIcon(), IMAGE_ICON, ::GetSystemMetricsForDpi(widthMetric, dpi),
          ::GetSystemMetricsForDpi(heightMetric, dpi), LR_DEFAULTCOLOR));
    };
    bigIcon_ = load(SM_CXICON, SM_CYICON);
    smallIcon_ = load(SM_CXSMICON, SM_CYSMICON);
  }
  ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  ::DestroyIcon(oldBig);
  ::DestroyIcon(oldSmall);
}

}  // namespace sprite::winsys::win32
