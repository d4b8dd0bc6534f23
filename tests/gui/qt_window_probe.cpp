// The window probe on Qt: the session of app/window_probe.h on the real
// window, with scripted file dialogs, read back from the widgets in device
// pixels (QT_SCALE_FACTOR=2 shows the window as a 192 dpi screen does).
// Prints the report on standard output; scripts/window-probe.sh compares it
// with what the Win32 window shows under Wine.
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListView>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <cmath>
#include <cstdio>

#include "app/test_files.h"
#include "app/window_probe.h"
#include "files/posix/posix_file_system.h"
#include "winsys/qt/qt_small_controls.h"
#include "winsys/qt/qt_text.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/qt_window_system.h"

namespace sprite::testing {
namespace {

using winsys::qt::ToUtf8;

using ScriptedWindows = ProbeWindowSystem<winsys::qt::QtWindowSystem>;

class QtProbe : public WindowProbe {
 public:
  QtProbe(ScriptedWindows& windows, app::Form1& form)
      : windows_(windows), window_(windows.QtCalls().Widget(form.Window().hWnd())) {}

  void Press(winsys::PushButton& button) override {
    winsys::qt::WidgetOf(button)->click();
    QApplication::processEvents();
  }
  void PressTab() override {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QApplication::processEvents();
  }
  WindowView Look() override {
    QApplication::processEvents();
    const double scale = window_->devicePixelRatioF();
    const int menu = window_->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)->height();
    const auto device = [scale](int logical) {
      return static_cast<int>(std::lround(logical * scale));
    };
    WindowView view{device(window_->width()), device(window_->height() - menu), {}};
    for (QWidget* child : window_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (!child->isVisible() || qobject_cast<QMenuBar*>(child) != nullptr) {
        continue;
      }
      ControlView control;
      QWidget* shown = child;
      if (auto* button = qobject_cast<QPushButton*>(child)) {
        control.kind = "button";
        control.text = ToUtf8(button->text());
      } else if (auto* list = qobject_cast<QListView*>(child)) {
        control.kind = "list";
        for (int row = 0; row < list->model()->rowCount(); ++row) {
          control.lines.push_back(ToUtf8(list->model()->index(row, 0).data().toString()));
        }
      } else if (auto* edit = qobject_cast<QLineEdit*>(child)) {
        control.kind = "edit";
        control.text = ToUtf8(edit->text());
      } else {
        // A control host: its bar.
        shown = child->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        const winsys::HWND bar = windows_.QtCalls().Handle(shown);
        control.kind = "bar";
        control.low =
            static_cast<long>(windows_.Calls().SendMessageA(bar, winsys::PBM_GETRANGE, 1, 0));
        control.high =
            static_cast<long>(windows_.Calls().SendMessageA(bar, winsys::PBM_GETRANGE, 0, 0));
        control.position =
            static_cast<long>(windows_.Calls().SendMessageA(bar, winsys::PBM_GETPOS, 0, 0));
      }
      const QPoint at = shown->mapTo(window_, QPoint(0, 0)) - QPoint(0, menu);
      control.rect = {device(at.x()), device(at.y()), device(shown->width()),
                      device(shown->height())};
      control.focused = QApplication::focusWidget() == child;
      view.controls.push_back(std::move(control));
    }
    return view;
  }

 private:
  ScriptedWindows& windows_;
  QWidget* window_;
};

}  // namespace
}  // namespace sprite::testing

int main(int argc, char** argv) {
  using namespace sprite;
  QApplication application(argc, argv);
  testing::TempFolder folder;
  files::PosixFileSystem files;
  testing::ScriptedWindows windows;
  app::Form1 form(windows, files);
  form.Show();
  QWidget* window = windows.QtCalls().Widget(form.Window().hWnd());
  window->activateWindow();
  if (!QTest::qWaitForWindowActive(window)) {
    std::fputs("qt-window-probe: the window did not become active\n", stderr);
    return 1;
  }
  testing::QtProbe probe(windows, form);
  const std::string report =
      testing::RunSession(form, windows.dialogs, Utf8FromPath(folder.Root()), probe);
  std::fputs(report.c_str(), stdout);
  return 0;
}
