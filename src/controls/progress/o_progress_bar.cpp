#include "controls/progress/o_progress_bar.h"

#include <cmath>
#include <limits>
#include <string>

#include "common/error.h"

namespace sprite::controls {

using winsys::HWND;
using winsys::LPARAM;
using winsys::LRESULT;
using winsys::UINT;
using winsys::WPARAM;

namespace {

constexpr std::uint32_t kBaseStyle = winsys::WS_CHILD | winsys::WS_VISIBLE;  // 0x50000000
constexpr UINT kFrameChangedFlags =
    winsys::SWP_NOSIZE | winsys::SWP_NOMOVE | winsys::SWP_FRAMECHANGED;  // 0x23
constexpr std::uint32_t kUntranslatable = 0xFFFFFFFF;                    // -1, all bits set
constexpr std::uint32_t kUnsetColour = 0xFFFFFFFF;                       // -1 as a colour field

std::int32_t ExtendedStyleFor(std::int32_t borderstyle) {
  switch (borderstyle) {
    case 0:
      return winsys::WS_EX_WINDOWEDGE;
    case 1:
      return winsys::WS_EX_STATICEDGE;
    case 2:
      return winsys::WS_EX_CLIENTEDGE;
    default:
      return 0;
  }
}

// Rounds to the nearest integer, halves to the even one, as a 32-bit value.
std::int32_t RoundToLong(double value, const char* what) {
  const double rounded = std::nearbyint(value);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max())) {
    throw OverflowError(std::string("progress bar: ") + what + " does not fit in 32 bits");
  }
  return static_cast<std::int32_t>(rounded);
}

std::int32_t DivideTruncating(std::int32_t twips, std::int32_t twipsPerPixel, const char* what) {
  if (twipsPerPixel == 0) {
    throw InvalidArgumentError(std::string("progress bar: twips per pixel for the ") + what +
                               " rounds to 0");
  }
  if (twips == std::numeric_limits<std::int32_t>::min() && twipsPerPixel == -1) {
    throw OverflowError(std::string("progress bar: pixel ") + what + " does not fit in 32 bits");
  }
  return twips / twipsPerPixel;
}

LPARAM SignExtended(std::int32_t value) {
  return static_cast<LPARAM>(value);
}

}  // namespace

oProgressBar::oProgressBar(winsys::ControlHost& host, winsys::WindowCalls& calls)
    : host_(host), calls_(calls) {}

void oProgressBar::SetSmooth(winsys::VbBool newSmooth) {
  if (newSmooth != smooth_) {
    smooth_ = newSmooth;
    if (barWindow_ != 0) {
      RecreateProgressWindow();
    }
  }
  host_.PropertyChanged("Smooth");
}

void oProgressBar::SetValue(std::int32_t newValue) {
  if (newValue == value_) {
    return;
  }
  value_ = newValue;
  if (barWindow_ != 0) {
    Send(winsys::PBM_SETPOS, newValue, 0);
  }
  host_.PropertyChanged("Value");
}

void oProgressBar::SetOrientation(std::int32_t newOrientation) {
  if (newOrientation == orientation_) {
    return;
  }
  orientation_ = newOrientation;
  if (barWindow_ != 0) {
    RecreateProgressWindow();
    host_.PropertyChanged("Orientation");
  }
}

void oProgressBar::SetMin(std::int32_t newMin) {
  if (newMin == min_) {
    return;
  }
  min_ = newMin;
  if (barWindow_ != 0) {
    ApplyRange();
    host_.PropertyChanged("Min");
  }
}

void oProgressBar::SetMax(std::int32_t newMax) {
  if (newMax == max_) {
    return;
  }
  max_ = newMax;
  if (barWindow_ != 0) {
    ApplyRange();
    host_.PropertyChanged("Max");
  }
}

void oProgressBar::SetBarColor(std::uint32_t newBarColor) {
  if (newBarColor == barColor_) {
    return;
  }
  barColor_ = newBarColor;
  if (barWindow_ != 0) {
    const std::uint32_t rgb = TranslateColor(newBarColor);
    Send(winsys::PBM_SETBARCOLOR, 0, SignExtended(static_cast<std::int32_t>(rgb)));
  }
  host_.PropertyChanged("BarColor");
}

void oProgressBar::SetBackColor(std::uint32_t newBackColor) {
  if (newBackColor == backColor_) {
    return;
  }
  backColor_ = newBackColor;
  if (barWindow_ != 0) {
    const std::uint32_t rgb = TranslateColor(newBackColor);
    Send(winsys::PBM_SETBKCOLOR, 0, SignExtended(static_cast<std::int32_t>(rgb)));
  }
  host_.PropertyChanged("BackColor");
}

void oProgressBar::SetStep(std::int32_t newStep) {
  if (newStep == step_) {
    return;
  }
  if (barWindow_ != 0) {
    Send(winsys::PBM_SETSTEP, newStep, 0);
  }
  step_ = newStep;
  host_.PropertyChanged("Step");
}

void oProgressBar::SetBorderstyle(std::int32_t newBorderstyle) {
  if (newBorderstyle == borderstyle_) {
    return;
  }
  borderstyle_ = newBorderstyle;
  if (barWindow_ != 0) {
    calls_.SetWindowLongA(barWindow_, winsys::GWL_EXSTYLE, ExtendedStyleFor(newBorderstyle));
    calls_.SetWindowPos(barWindow_, 0, 0, 0, 0, 0, kFrameChangedFlags);
  }
  host_.PropertyChanged("Borderstyle");
}

void oProgressBar::StepIt() {
  if (barWindow_ == 0) {
    return;
  }
  Send(winsys::PBM_STEPIT, 0, 0);
  Advance(step_);
}

void oProgressBar::IncrementIt(std::int32_t increment) {
  if (barWindow_ == 0) {
    return;
  }
  Send(winsys::PBM_DELTAPOS, increment, 0);
  Advance(increment);
}

void oProgressBar::Advance(std::int32_t increment) {
  const std::int64_t sum = std::int64_t{value_} + increment;
  if (sum < std::numeric_limits<std::int32_t>::min() ||
      sum > std::numeric_limits<std::int32_t>::max()) {
    throw OverflowError("progress bar: Value " + std::to_string(value_) + " + " +
                        std::to_string(increment) + " leaves the 32-bit range");
  }
  value_ = static_cast<std::int32_t>(sum);
}

void oProgressBar::UserControl_InitProperties() {
  CreateProgressWindow();
  backColor_ = kDefaultBackColor;
  barColor_ = kDefaultBarColor;
  borderstyle_ = kDefaultBorderstyle;
  RecreateProgressWindow();
}

void oProgressBar::UserControl_ReadProperties(winsys::PropertyBag& bag) {
  CreateProgressWindow();
  SetSmooth(bag.ReadProperty("Smooth", winsys::kVbFalse) != 0 ? winsys::kVbTrue : winsys::kVbFalse);
  SetValue(bag.ReadProperty("Value", 0));
  SetOrientation(bag.ReadProperty("Orientation", 0));
  SetMin(bag.ReadProperty("Min", 0));
  SetMax(bag.ReadProperty("Max", 100));
  SetBackColor(static_cast<std::uint32_t>(
      bag.ReadProperty("BackColor", static_cast<std::int32_t>(kDefaultBackColor))));
  SetBarColor(static_cast<std::uint32_t>(
      bag.ReadProperty("BarColor", static_cast<std::int32_t>(kDefaultBarColor))));
  SetStep(bag.ReadProperty("Step", 10));
  SetBorderstyle(bag.ReadProperty("Borderstyle", kDefaultBorderstyle));
  RecreateProgressWindow();
}

void oProgressBar::UserControl_WriteProperties(winsys::PropertyBag& bag) {
  bag.WriteProperty("Smooth", Smooth() != 0 ? winsys::kVbTrue : winsys::kVbFalse, winsys::kVbFalse);
  bag.WriteProperty("Value", Value(), 0);
  bag.WriteProperty("Orientation", Orientation(), 0);
  bag.WriteProperty("Min", Min(), 0);
  bag.WriteProperty("Max", Max(), 100);
  bag.WriteProperty("BackColor", static_cast<std::int32_t>(backColor_),
                    static_cast<std::int32_t>(kDefaultBackColor));
  bag.WriteProperty("BarColor", static_cast<std::int32_t>(barColor_),
                    static_cast<std::int32_t>(kDefaultBarColor));
  bag.WriteProperty("Step", step_, 10);
  bag.WriteProperty("Borderstyle", borderstyle_, kDefaultBorderstyle);
  RecreateProgressWindow();
}

void oProgressBar::UserControl_Resize() {
  const PixelSize size = ComputePixelSize();
  // Issued without a bar window too: the move then goes to no window.
  calls_.MoveWindow(barWindow_, 0, 0, size.width, size.height, true);
  RecreateProgressWindow();
}

void oProgressBar::CreateProgressWindow() {
  DestroyProgressWindow();
  styleBits_ = orientation_ == 1 ? (kBaseStyle | winsys::PBS_VERTICAL) : kBaseStyle;
  if (smooth_ != 0) {
    styleBits_ |= winsys::PBS_SMOOTH;
  }
  calls_.InitCommonControls();
  const PixelSize size = ComputePixelSize();
  barWindow_ = calls_.CreateWindowExA(0, winsys::kProgressClass, "", styleBits_, 0, 0, size.width,
                                      size.height, host_.hWnd(), 0, host_.hInstance(), 0);
  // Sent even when creation failed; it then goes to no window.
  Send(winsys::PBM_SETPOS, value_, 0);
}

void oProgressBar::RecreateProgressWindow() {
  const std::int32_t keptBorderstyle = Borderstyle();
  const std::int32_t keptValue = Value();
  const std::uint32_t keptBackColor = BackColor();
  const std::uint32_t keptBarColor = BarColor();

  CreateProgressWindow();
  ApplyRange();

  // With the fields at -1 every setter sees a change and sends its value to the
  // new bar window; a kept -1 is not sent and the bar window keeps its default.
  value_ = -1;
  borderstyle_ = -1;
  backColor_ = kUnsetColour;
  barColor_ = kUnsetColour;
  SetValue(keptValue);
  SetBorderstyle(keptBorderstyle);
  SetBackColor(keptBackColor);
  SetBarColor(keptBarColor);
}

void oProgressBar::DestroyProgressWindow() {
  if (barWindow_ == 0) {
    return;
  }
  calls_.ShowWindow(barWindow_, winsys::SW_HIDE);
  calls_.SetParent(barWindow_, 0);
  calls_.DestroyWindow(barWindow_);
  // Forget the handle at once: should a host call fail before the new window
  // exists, nothing is sent to a destroyed (and possibly reused) handle.
  barWindow_ = 0;
}

void oProgressBar::ApplyRange() {
  if (barWindow_ == 0) {
    return;
  }
  Send(winsys::PBM_SETRANGE32, min_, SignExtended(max_));
  winsys::PBRANGE range;
  const auto high =
      static_cast<std::int32_t>(Send(winsys::PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range)));
  const auto low =
      static_cast<std::int32_t>(Send(winsys::PBM_GETRANGE, 1, reinterpret_cast<LPARAM>(&range)));
  if (high == max_ && low == min_) {
    return;
  }
  // A bar window that keeps 16-bit limits only.
  const std::uint32_t packed = (static_cast<std::uint32_t>(min_) & 0xFFFF) |
                               ((static_cast<std::uint32_t>(max_) & 0xFFFF) << 16);
  Send(winsys::PBM_SETRANGE, 0, SignExtended(static_cast<std::int32_t>(packed)));
}

std::uint32_t oProgressBar::TranslateColor(std::uint32_t colour) {
  std::uint32_t rgb = 0;
  if (calls_.OleTranslateColor(colour, 0, &rgb) != 0) {
    return kUntranslatable;
  }
  return rgb;
}

oProgressBar::PixelSize oProgressBar::ComputePixelSize() const {
  const std::int32_t width = RoundToLong(host_.ScaleWidth(), "width");
  const std::int32_t perPixelX = RoundToLong(host_.TwipsPerPixelX(), "twips per pixel");
  const std::int32_t height = RoundToLong(host_.ScaleHeight(), "height");
  const std::int32_t perPixelY = RoundToLong(host_.TwipsPerPixelY(), "twips per pixel");
  return {DivideTruncating(width, perPixelX, "width"),
          DivideTruncating(height, perPixelY, "height")};
}

LRESULT oProgressBar::Send(UINT message, std::int32_t wParam, LPARAM lParam) {
  // Signed values travel sign-extended; the bar window reads their low 32 bits.
  return calls_.SendMessageA(barWindow_, message,
                             static_cast<WPARAM>(static_cast<std::intptr_t>(wParam)), lParam);
}

}  // namespace sprite::controls
