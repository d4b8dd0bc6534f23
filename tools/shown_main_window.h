// The main window on Qt over this system's files, made and shown as the window
// program shows it, for the tools and benchmarks that fill and click it.
#pragma once

#include <QtWidgets/QWidget>

#include "app/form1.h"
#include "files/posix/posix_file_system.h"
#include "winsys/qt/qt_list_box.h"
#include "winsys/qt/qt_small_controls.h"
#include "winsys/qt/qt_window_system.h"

namespace sprite::tools {

// Qt's window system with the window's Options at their defaults and kept
// nowhere: a person's choices (Decode to PNG pictures) change no benchmark.
class DefaultOptionsWindowSystem : public winsys::qt::QtWindowSystem {
 public:
  winsys::SettingsStore& Settings() override { return settings_; }

 private:
  winsys::MemorySettingsStore settings_;
};

// A QApplication must exist before it is made and outlive it.
class ShownMainWindow {
 public:
  ShownMainWindow();

  app::Form1& Form() { return form_; }
  // The controls; their widgets come from winsys::qt::WidgetOf.
  app::Form1Controls Controls() { return form_.Controls(); }
  // The window's own widget, to grab as a picture.
  QWidget& TopWidget();
  // Runs the event loop until the window has closed.
  int RunEventLoop() { return windows_.RunEventLoop(); }
  winsys::qt::QtWindowSystem& Windows() { return windows_; }

 private:
  DefaultOptionsWindowSystem windows_;
  files::PosixFileSystem files_;
  app::Form1 form_;
};

}  // namespace sprite::tools
