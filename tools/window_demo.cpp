// Shows the main window after an Encode and a Decode have filled its lists, as a
// user would leave it: `sprite-window-demo ARCHIVE BITMAP...`. With
// --grab FILE it saves the window as a picture and ends.
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <cstdio>

#include "shown_main_window.h"

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
  using sprite::winsys::qt::WidgetOf;
  sprite::tools::ShownMainWindow window;
  const sprite::app::Form1Controls controls = window.Controls();
  for (const QString& bitmap : args.mid(1)) {
    controls.lstFiles.AddItem(bitmap.toStdString());
  }
  WidgetOf(controls.txtOut)->setText(args[0]);
  WidgetOf(controls.Command3)->click();
  WidgetOf(controls.Command4)->click();

  if (!grab.isEmpty()) {
    QTimer::singleShot(200, [&] {
      window.TopWidget().grab().save(grab);
      QApplication::quit();
    });
  }
  return window.RunEventLoop();
}
