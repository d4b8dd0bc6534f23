// sprite: the window program. Reads no command line and keeps no settings.
#include <QtWidgets/QApplication>

#include "app/form1.h"
#include "winsys/posix/posix_file_system.h"
#include "winsys/qt/qt_window_system.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  sprite::winsys::qt::QtWindowSystem windows;
  sprite::winsys::PosixFileSystem files;
  sprite::app::Form1 form(windows, files);
  form.Show();
  return windows.RunEventLoop();
}
