// The main window made over the Qt window system and this system's files, and shown.
#include "shown_main_window.h"

#include "winsys/qt/qt_window_calls.h"

namespace sprite::tools {

ShownMainWindow::ShownMainWindow() : form_(windows_, files_) {
  form_.Show();
}

QWidget& ShownMainWindow::TopWidget() {
  return *windows_.QtCalls().Widget(form_.Window().hWnd());
}

}  // namespace sprite::tools
