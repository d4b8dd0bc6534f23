#pragma once

#include <cmath>
#include <functional>
#include <string_view>

#include "winsys/property_bag.h"
#include "winsys/types.h"

namespace sprite::winsys {

// What a control placed on a window gets from the window that holds it.
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  // Inner size in twips.
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;
  // Twips per screen pixel, from the screen's real dots per inch.
  virtual double TwipsPerPixelX() const = 0;
  virtual double TwipsPerPixelY() const = 0;
  // The control's own window: the parent of the windows it creates.
  virtual HWND hWnd() const = 0;
  virtual HINSTANCE hInstance() const = 0;
  // A persisted property changed; the stored design needs saving.
  virtual void PropertyChanged(std::string_view name) = 0;
  // Told whenever the inner size changes (the window was resized, or moved to
  // a screen of other dots per inch). Hosts whose size never changes ignore it.
  virtual void SetOnResize(std::function<void()> /*handler*/) {}
};

// Twips per pixel as a host reports them: whole, so that a control that rounds
// them (oProgressBar) gets the host's size in pixels back whole from its size
// in twips. 1440 / 168 dots per inch is 8.57, rounded 9: 602 pixels were
// otherwise 5160 / 9 = 573.
inline double WholeTwipsPerPixel(double dotsPerInch) {
  const double perPixel = std::nearbyint(1440.0 / (dotsPerInch > 0 ? dotsPerInch : 96.0));
  return perPixel < 1 ? 1 : perPixel;
}

}  // namespace sprite::winsys
