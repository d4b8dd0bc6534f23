#pragma once

#include "winsys/types.h"

namespace sprite::winsys {

// The host's screen, as the font dialog measures font heights on it.
class HostScreen {
 public:
  virtual ~HostScreen() = default;
  // 1440 divided by the screen's vertical dots per inch.
  virtual float TwipsPerPixelY() const = 0;
};

// The host's current printer, whose fonts the font dialog may list.
class HostPrinter {
 public:
  virtual ~HostPrinter() = default;
  // Its device context. May throw when there is no printer.
  virtual HDC hDC() = 0;
};

}  // namespace sprite::winsys
