#pragma once

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
};

}  // namespace sprite::winsys
