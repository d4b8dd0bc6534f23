// Shows the main window after an Encode and a Decode have filled its lists, as a
// user would leave it: `sprite-window-demo ARCHIVE BITMAP...`. With
// --grab FILE it saves the window as a picture and ends.
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <cstdio>
#include <string>

#include "app/form1.h"
#include "winsys/posix/posix_file_system.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/qt_window_system.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QStringList args = QApplication::arguments().mid(1);
  QString grab;
  if (args.size() >= 2 && args[0] == "--grab") {
    grab = args[1];
    args = args.mid(2);
  }
  if (args.isEmpty()) {
    std::fprintf(stderr, "usage: sprite-window-demo [--grab FILE] ARCHIVE BITMAP...\n");
    return 2;
  }
  sprite::winsys::qt::QtWindowSystem windows;
  sprite::winsys::PosixFileSystem files;
  sprite::app::Form1 form(windows, files);
  form.Show();

  QWidget* window = windows.QtCalls().Widget(form.Window().hWnd());
  auto* fileList = window->findChild<QListWidget*>("lstFiles");
  for (const QString& bitmap : args.mid(1)) {
    fileList->addItem(bitmap);
  }
  window->findChild<QLineEdit*>("txtOut")->setText(args[0]);
  window->findChild<QPushButton*>("Command3")->click();
  window->findChild<QPushButton*>("Command4")->click();

  if (!grab.isEmpty()) {
    QTimer::singleShot(200, [&] {
      window->grab().save(grab);
      QApplication::quit();
    });
  }
  return windows.RunEventLoop();
}
