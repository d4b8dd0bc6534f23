// Decodes an archive in the real window (Qt, any platform plugin) the way a
// click on Decode does, for timing against sprite-cli: `window_decode ARCHIVE`.
#include <QtCore/QElapsedTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>

#include <cstdio>

#include "app/form1.h"
#include "winsys/posix/posix_file_system.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/qt_window_system.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    return 2;
  }
  sprite::winsys::qt::QtWindowSystem windows;
  sprite::winsys::PosixFileSystem files;
  sprite::app::Form1 form(windows, files);
  form.Show();
  QWidget* window = windows.QtCalls().Widget(form.Window().hWnd());
  window->findChild<QLineEdit*>("txtOut")->setText(QString::fromLocal8Bit(argv[1]));
  QApplication::processEvents();
  // The time of the click alone, without starting Qt.
  QElapsedTimer clock;
  clock.start();
  window->findChild<QPushButton*>("Command4")->click();
  QApplication::processEvents();
  std::printf("%.6f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
  return form.LastRun().completed && form.LastRun().problems == 0 ? 0 : 1;
}
