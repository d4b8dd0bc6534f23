#pragma once

#include <cstdint>

#include "winsys/control_host.h"
#include "winsys/property_bag.h"
#include "winsys/types.h"
#include "winsys/window_calls.h"

namespace sprite::controls {

// The progress bar control "Sprite.oProgressBar": keeps its own copy of every
// property, shows them through one child "msctls_progress32" window (the bar
// window) and persists nine of them through the host's property bag.
//
// Setters act only on a change; the bar window is rebuilt on every resize, every
// save, at the end of loading and on a change of Smooth or Orientation.
class oProgressBar {
 public:
  // Persistence defaults; the construction values differ (Min 1, colours and
  // Borderstyle 0) until InitProperties or ReadProperties runs.
  static constexpr std::uint32_t kDefaultBackColor = 0x8000000F;  // button face
  static constexpr std::uint32_t kDefaultBarColor = 0x8000000D;   // selection highlight
  static constexpr std::int32_t kDefaultBorderstyle = 1;          // static edge

  // UserControl_Initialize: construction values, no bar window yet.
  oProgressBar(winsys::ControlHost& host, winsys::WindowCalls& calls);

  oProgressBar(const oProgressBar&) = delete;
  oProgressBar& operator=(const oProgressBar&) = delete;

  // Getters return the stored fields; none asks the bar window.
  winsys::VbBool Smooth() const { return smooth_; }
  void SetSmooth(winsys::VbBool newSmooth);
  std::int32_t Value() const { return value_; }
  void SetValue(std::int32_t newValue);
  // 1 = vertical; every other value = horizontal.
  std::int32_t Orientation() const { return orientation_; }
  void SetOrientation(std::int32_t newOrientation);
  std::int32_t Min() const { return min_; }
  void SetMin(std::int32_t newMin);
  std::int32_t Max() const { return max_; }
  void SetMax(std::int32_t newMax);
  // Colours are OLE colour values, stored untranslated.
  std::uint32_t BarColor() const { return barColor_; }
  void SetBarColor(std::uint32_t newBarColor);
  std::uint32_t BackColor() const { return backColor_; }
  void SetBackColor(std::uint32_t newBackColor);
  std::int32_t Step() const { return step_; }
  void SetStep(std::int32_t newStep);
  // 0 window edge, 1 static edge, 2 client edge, anything else none.
  std::int32_t Borderstyle() const { return borderstyle_; }
  void SetBorderstyle(std::int32_t newBorderstyle);

  // Advance the bar window and the stored Value (not clamped, not wrapped).
  // Throw OverflowError, after the message was sent, when Value would leave the
  // 32-bit range. Without a bar window they do nothing.
  void StepIt();
  void IncrementIt(std::int32_t increment);

  // Host handlers.
  void UserControl_InitProperties();
  void UserControl_ReadProperties(winsys::PropertyBag& bag);
  void UserControl_WriteProperties(winsys::PropertyBag& bag);
  void UserControl_Resize();

  // The bar window (0 = none) and the style bits it was created with.
  winsys::HWND BarWindow() const { return barWindow_; }
  std::uint32_t StyleBits() const { return styleBits_; }

 private:
  struct PixelSize {
    std::int32_t width;
    std::int32_t height;
  };

  void CreateProgressWindow();
  void RecreateProgressWindow();
  void DestroyProgressWindow();
  void ApplyRange();
  std::uint32_t TranslateColor(std::uint32_t colour);
  PixelSize ComputePixelSize() const;
  winsys::LRESULT Send(winsys::UINT message, std::int32_t wParam, winsys::LPARAM lParam);
  void Advance(std::int32_t increment);

  winsys::ControlHost& host_;
  winsys::WindowCalls& calls_;

  winsys::HWND barWindow_ = 0;
  std::uint32_t styleBits_ = 0;
  winsys::VbBool smooth_ = winsys::kVbFalse;
  std::int32_t value_ = 0;
  std::int32_t orientation_ = 0;
  std::int32_t borderstyle_ = 0;
  std::int32_t min_ = 1;
  std::int32_t max_ = 100;
  std::uint32_t backColor_ = 0;
  std::uint32_t barColor_ = 0;
  std::int32_t step_ = 10;
};

}  // namespace sprite::controls
