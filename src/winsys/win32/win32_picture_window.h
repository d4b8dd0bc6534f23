// The picture window on Windows: a resizable top-level window whose client
// area holds the picture area above a line of text.
#pragma once

#include <string>

#include "winsys/wheel_notches.h"
#include "winsys/win32/win32_base_window.h"
#include "winsys/win32/win32_drawing.h"
#include "winsys/win32/win32_windows.h"
#include "winsys/window_system.h"

namespace sprite::winsys::win32 {

// The picture is put on the screen pixel for pixel with SetDIBitsToDevice in
// WM_PAINT; the rest of the area and the text line are painted in the
// window's background colour. The text wraps onto further lines rather than
// widen the window. Laid out again at the dots per inch of the monitor the
// window moves to.
class Win32PictureWindow : public PictureWindow, public BaseWindow<Win32PictureWindow> {
 public:
  explicit Win32PictureWindow(const PictureWindowSpec& design);
  ~Win32PictureWindow() override;

  void SetHandler(PictureWindowHandler* handler) override { handler_ = handler; }
  void SetCaption(const std::string& caption) override;
  void SetPicture(const Picture& picture) override;
  void SetText(const std::string& text) override;
  PixelSize AreaSize() const override { return area_; }
  void Show() override;
  void Close() override;
  bool Visible() const override { return ::IsWindowVisible(window_) != 0; }
  void SetTimer(std::int32_t intervalMs) override;

 private:
  friend class BaseWindow<Win32PictureWindow>;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // The text line's height for the client area's width, and the area above it.
  void LayOut();
  void Paint();
  void Wheel(std::int32_t delta, bool across, WORD keys);
  template <typename Call>
  void Report(const Call& call);

  FontSpec fontDesign_;
  ::HFONT font_ = nullptr;
  unsigned dpi_ = 96;
  PictureWindowHandler* handler_ = nullptr;
  DeviceBitmap bitmap_;
  std::wstring text_;
  PixelSize area_;
  int textHeight_ = 0;
  // Calls made to the window report nothing: a resize they cause is reported
  // once they have returned (a posted message).
  int inCall_ = 0;
  WheelNotches wheel_;
};

}  // namespace sprite::winsys::win32
