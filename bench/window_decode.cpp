// Decodes an archive in the real window (Qt, any platform plugin) the way a
// click on Decode does, for timing against sprite-cli: `window_decode ARCHIVE`.
#include <QtCore/QElapsedTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <cstdio>

#include "shown_main_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    return 2;
  }
  using sprite::winsys::qt::WidgetOf;
  sprite::tools::ShownMainWindow window;
  const sprite::app::Form1Controls controls = window.Controls();
  WidgetOf(controls.txtOut)->setText(QString::fromLocal8Bit(argv[1]));
  QApplication::processEvents();
  // The time of the click alone, without starting Qt.
  QElapsedTimer clock;
  clock.start();
  WidgetOf(controls.Command4)->click();
  QApplication::processEvents();
  std::printf("%.6f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
  const sprite::pipeline::RunReport& run = window.Form().LastRun();
  return run.completed && run.problems == 0 ? 0 : 1;
}
