#pragma once

#include "winsys/dialog_host.h"
#include "winsys/qt/qt_common_dialog_calls.h"
#include "winsys/qt/qt_window_system.h"

namespace sprite::winsys::qt {

// The primary screen, as the Qt windows measure twips on it.
class QtHostScreen : public HostScreen {
 public:
  float TwipsPerPixelY() const override {
    return static_cast<float>(QtWindowSystem::TwipsPerPixelY());
  }
};

// The default printer, or a PDF file when no printer is installed.
class QtHostPrinter : public HostPrinter {
 public:
  explicit QtHostPrinter(QtCommonDialogCalls& calls) : calls_(calls) {}
  HDC hDC() override { return calls_.DefaultPrinterDC(); }

 private:
  QtCommonDialogCalls& calls_;
};

}  // namespace sprite::winsys::qt
