#include "winsys/qt/qt_window_system.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QEventLoop>
#include <QtCore/QPointer>
#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/error.h"
#include "winsys/qt/message_box.h"
#include "winsys/qt/qt_common_dialog_calls.h"
#include "winsys/qt/qt_picture_window.h"
#include "winsys/qt/qt_text.h"
#include "winsys/qt/qt_window.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/stop_signals.h"
#include "winsys/qt/top_level_widget.h"

namespace sprite::winsys::qt {
namespace {

double TwipsPerPixel(bool horizontal) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  double dpi = 96.0;
  if (screen != nullptr) {
    dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
  }
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

// While it exists, the application takes no user input: clicks, keys, wheel
// turns and drops are dropped, not held back for later.
class UserInputFilter : public QObject {
 public:
  UserInputFilter() { QCoreApplication::instance()->installEventFilter(this); }
  ~UserInputFilter() override { QCoreApplication::instance()->removeEventFilter(this); }
  UserInputFilter(const UserInputFilter&) = delete;
  UserInputFilter& operator=(const UserInputFilter&) = delete;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::InputMethod:
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

QtWindowSystem::QtWindowSystem()
    : calls_(std::make_unique<QtWindowCalls>()),
      dialogs_(std::make_unique<QtCommonDialogCalls>(*calls_)) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    throw InvalidArgumentError("the Qt window system needs a QApplication made first");
  }
}

QtWindowSystem::~QtWindowSystem() = default;

std::unique_ptr<Window> QtWindowSystem::CreateWindow(const WindowSpec& design) {
  return std::make_unique<QtWindow>(design, *calls_);
}

std::unique_ptr<PictureWindow> QtWindowSystem::CreatePictureWindow(
    const PictureWindowSpec& design) {
  return std::make_unique<QtPictureWindow>(design, TwipsPerPixelX(), TwipsPerPixelY());
}

void QtWindowSystem::ShowModal(Window& window) {
  auto* qtWindow = dynamic_cast<QtWindow*>(&window);
  if (qtWindow == nullptr) {
    throw InvalidArgumentError("ShowModal: the window belongs to another window system");
  }
  const QPointer<TopLevelWidget> widget = qtWindow->Widget();
  QEventLoop loop;
  widget->closed = [&loop] { loop.quit(); };
  widget->setWindowModality(Qt::ApplicationModal);
  qtWindow->Show();
  loop.exec(QEventLoop::DialogExec);
  if (widget != nullptr) {
    widget->closed = nullptr;
    if (widget->isHidden()) {
      widget->setWindowModality(Qt::NonModal);
    }
  }
}

void QtWindowSystem::MessageBox(const std::string& text, const std::string& informativeText,
                                MessageIcon icon) {
  if (InterruptRequested()) {
    std::fprintf(stderr, "%s: %s%s%s\n", QCoreApplication::applicationName().toUtf8().constData(),
                 text.c_str(), informativeText.empty() ? "" : ": ", informativeText.c_str());
    return;
  }
  ShowMessage(QApplication::activeWindow(), FromUtf8(text), FromUtf8(informativeText), icon);
}

void QtWindowSystem::Yield() {
  // Reading the clock costs more than the rest of a skipped yield, so it is
  // read only every few calls; calls come microseconds apart while decoding.
  if ((++callsSinceClock_ & (kCallsPerClockRead - 1)) != 0) {
    return;
  }
  if (sinceYield_.isValid() && sinceYield_.elapsed() < kYieldIntervalMs) {
    return;
  }
  sinceYield_.start();
  BeforeMessages();
  QCoreApplication::processEvents();
}

void QtWindowSystem::Refresh() {
  // Called between pictures, milliseconds apart: the clock is read every time.
  if (sinceYield_.isValid() && sinceYield_.elapsed() < kYieldIntervalMs) {
    return;
  }
  sinceYield_.start();
  BeforeMessages();
  // Not ExcludeUserInputEvents: it holds back a window's close request too.
  const UserInputFilter filter;
  QCoreApplication::processEvents();
}

AppInfo QtWindowSystem::AppInformation() const {
  return ThisApplication();
}

WindowCalls& QtWindowSystem::Calls() {
  return *calls_;
}

CommonDialogCalls& QtWindowSystem::DialogCalls() {
  return *dialogs_;
}

int QtWindowSystem::RunEventLoop() {
  return QApplication::exec();
}

bool QtWindowSystem::InterruptRequested() const {
  return stopSignal_ != 0 || (stopSignals_ && StopSignals::FirstSignal() != 0);
}

void QtWindowSystem::CatchStopSignals() {
  if (!stopSignals_) {
    stopSignals_ = std::make_unique<StopSignals>([this](int signal) { CloseEveryWindow(signal); });
  }
}

void QtWindowSystem::CloseEveryWindow(int signal) {
  if (stopSignal_ == 0) {
    stopSignal_ = signal;
  }
  // Dialogs first, the innermost first: each returns to the code that opened
  // it, as when the user presses its close button. One that stays open ends
  // the sweep.
  while (QWidget* modal = QApplication::activeModalWidget()) {
    modal->close();
    if (QApplication::activeModalWidget() == modal) {
      break;
    }
  }
  // Then every window; a window whose command is still running stops it and
  // closes when it has.
  std::vector<QPointer<QWidget>> windows;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible()) {
      windows.emplace_back(widget);
    }
  }
  for (const QPointer<QWidget>& window : windows) {
    if (window != nullptr && window->isVisible()) {
      window->close();
    }
  }
  const QWidgetList left = QApplication::topLevelWidgets();
  if (std::none_of(left.begin(), left.end(), [](QWidget* w) { return w->isVisible(); })) {
    QCoreApplication::quit();
  }
}

double QtWindowSystem::TwipsPerPixelX() {
  return TwipsPerPixel(true);
}

double QtWindowSystem::TwipsPerPixelY() {
  return TwipsPerPixel(false);
}

}  // namespace sprite::winsys::qt
