#include "winsys/qt/qt_picture_window.h"

#include <QtCore/QTimer>
#include <QtGui/QCloseEvent>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QLabel>
#include <QtWidgets/QVBoxLayout>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <cmath>
#include <optional>

#include "common/error.h"
#include "winsys/picture_check.h"
#include "winsys/qt/message_box.h"
#include "winsys/qt/qt_text.h"
#include "winsys/qt/qt_window.h"
#include "winsys/wheel_notches.h"

namespace sprite::winsys::qt {
namespace {

std::optional<PictureKey> KeyOf(const QKeyEvent& event) {
  if ((event.modifiers() & (Qt::AltModifier | Qt::MetaModifier)) != 0) {
    return std::nullopt;
  }
  // The brackets as typed: on some layouts they take AltGr and another key.
  if (event.text() == QLatin1String("[")) {
    return PictureKey::kSlower;
  }
  if (event.text() == QLatin1String("]")) {
    return PictureKey::kFaster;
  }
  switch (event.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      return PictureKey::kZoomIn;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
      return PictureKey::kZoomOut;
    case Qt::Key_Escape:
      return PictureKey::kEscape;
    case Qt::Key_Left:
      return PictureKey::kLeft;
    case Qt::Key_Right:
      return PictureKey::kRight;
    case Qt::Key_Up:
      return PictureKey::kUp;
    case Qt::Key_Down:
      return PictureKey::kDown;
    case Qt::Key_PageUp:
      return PictureKey::kPageUp;
    case Qt::Key_PageDown:
      return PictureKey::kPageDown;
    case Qt::Key_Home:
      return PictureKey::kHome;
    case Qt::Key_End:
      return PictureKey::kEnd;
    case Qt::Key_Space:
      return PictureKey::kPlay;
    default:
      return std::nullopt;
  }
}

// Draws the image it is handed at its top left corner, the rest in the
// window's background colour.
class PictureArea : public QWidget {
 public:
  explicit PictureArea(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(1, 1);
  }

  QImage image;
  std::function<void()> resized;
  // The wheel over the area, whether or not the event came from the system.
  std::function<void(QWheelEvent*)> wheel;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!image.isNull()) {
      painter.drawImage(QPoint(0, 0), image);
    }
  }
  void resizeEvent(QResizeEvent*) override {
    if (resized) {
      resized();
    }
  }
  void wheelEvent(QWheelEvent* event) override {
    if (wheel) {
      wheel(event);
    } else {
      QWidget::wheelEvent(event);
    }
  }
};

}  // namespace

// The top-level widget: the area, the text line, and what the user does.
class PictureWindowWidget : public QWidget {
 public:
  PictureWindowWidget() : area_(new PictureArea(this)), line_(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(area_, 1);
    line_->setTextFormat(Qt::PlainText);
    line_->setContentsMargins(6, 3, 6, 4);
    line_->setFocusPolicy(Qt::NoFocus);
    // A long text wraps onto further lines; it never widens the window.
    line_->setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    line_->setSizePolicy(policy);
    layout->addWidget(line_);
    area_->resized = [this] {
      Report([&](PictureWindowHandler& h) { h.AreaResized(AreaSize()); });
    };
    area_->wheel = [this](QWheelEvent* event) { Wheel(event); };
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout,
                     [this] { Report([](PictureWindowHandler& h) { h.TimerTicked(); }); });
  }

  QTimer& Timer() { return timer_; }

  PictureArea* Area() const { return area_; }
  QLabel* Line() const { return line_; }
  PixelSize AreaSize() const { return {area_->width(), area_->height()}; }

  PictureWindowHandler* handler = nullptr;
  // Calls made to the window report nothing.
  int inCall = 0;
  bool closingByProgram = false;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const std::optional<PictureKey> key = KeyOf(*event);
    if (!key) {
      QWidget::keyPressEvent(event);
      return;
    }
    event->accept();
    Report([&](PictureWindowHandler& h) { h.KeyPressed(*key); });
  }

  // Over the text line.
  void wheelEvent(QWheelEvent* event) override { Wheel(event); }

  void closeEvent(QCloseEvent* event) override {
    event->accept();
    if (!closingByProgram) {
      // Hidden first, so that the handler sees it closed.
      hide();
      Report([](PictureWindowHandler& h) { h.Closed(); });
    }
  }

 private:
  void Wheel(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    // A wheel that turns sideways (or a vertical one turned with Shift, which
    // some systems send sideways) scrolls across.
    const bool across = delta.y() == 0 && delta.x() != 0;
    const std::int32_t notches = wheel_.Add(across ? delta.x() : delta.y(), across);
    event->accept();
    if (notches == 0) {
      return;
    }
    const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
    const bool shift = across || (event->modifiers() & Qt::ShiftModifier) != 0;
    Report([&](PictureWindowHandler& h) { h.WheelTurned(notches, control, shift); });
  }

  template <typename Call>
  void Report(const Call& call) {
    if (handler == nullptr || inCall > 0) {
      return;
    }
    RunGuarded([&] { call(*handler); }, this);
  }

  PictureArea* area_;
  QLabel* line_;
  WheelNotches wheel_;
  QTimer timer_;
};

namespace {

// Counts a call made to the window while it runs.
class InCall {
 public:
  explicit InCall(PictureWindowWidget* widget) : widget_(widget) { ++widget_->inCall; }
  ~InCall() { --widget_->inCall; }
  InCall(const InCall&) = delete;
  InCall& operator=(const InCall&) = delete;

 private:
  PictureWindowWidget* widget_;
};

}  // namespace

QtPictureWindow::QtPictureWindow(const PictureWindowSpec& design, double twipsPerPixelX,
                                 double twipsPerPixelY)
    : widget_(new PictureWindowWidget) {
  const InCall call(widget_);
  widget_->setWindowFlags(Qt::Window);
  widget_->setWindowTitle(FromUtf8(design.caption));
  widget_->setWindowIcon(ProgramIcon());
  widget_->Line()->setFont(MakeFont(design.font));
  const int width = static_cast<int>(std::lround(std::max(0, design.clientWidth) / twipsPerPixelX));
  const int height =
      static_cast<int>(std::lround(std::max(0, design.clientHeight) / twipsPerPixelY));
  widget_->resize(std::max(width, 1), std::max(height, 1));
}

QtPictureWindow::~QtPictureWindow() {
  if (widget_ != nullptr) {
    widget_->handler = nullptr;
    widget_->hide();
    // Later: this may run inside one of the window's own handlers.
    widget_->deleteLater();
  }
}

void QtPictureWindow::SetHandler(PictureWindowHandler* handler) {
  widget_->handler = handler;
}

void QtPictureWindow::SetCaption(const std::string& caption) {
  const InCall call(widget_);
  widget_->setWindowTitle(FromUtf8(caption));
}

void QtPictureWindow::SetPicture(const Picture& picture) {
  const InCall call(widget_);
  CheckPictureBytes(picture);
  // The largest side a QImage takes.
  constexpr std::int32_t kMaxSide = 32767;
  if (picture.width > kMaxSide || picture.height > kMaxSide) {
    throw InvalidArgumentError("picture of " + std::to_string(picture.width) + " x " +
                               std::to_string(picture.height) + " pixels is too large to show");
  }
  PictureArea* area = widget_->Area();
  if (picture.Empty()) {
    area->image = QImage();
  } else {
    area->image = QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                         QImage::Format_RGB888)
                      .copy();
  }
  area->update();
}

void QtPictureWindow::SetText(const std::string& text) {
  const InCall call(widget_);
  widget_->Line()->setText(FromUtf8(text));
}

PixelSize QtPictureWindow::AreaSize() const {
  return widget_->AreaSize();
}

void QtPictureWindow::Show() {
  const InCall call(widget_);
  widget_->show();
  // The offscreen platform of the tests has no stacking order to change.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    widget_->raise();
  }
  widget_->activateWindow();
  widget_->Area()->setFocus(Qt::ActiveWindowFocusReason);
}

void QtPictureWindow::Close() {
  const InCall call(widget_);
  widget_->closingByProgram = true;
  widget_->close();
  widget_->closingByProgram = false;
}

bool QtPictureWindow::Visible() const {
  return widget_->isVisible();
}

void QtPictureWindow::SetTimer(std::int32_t intervalMs) {
  if (intervalMs > 0) {
    widget_->Timer().start(intervalMs);
  } else {
    widget_->Timer().stop();
  }
}

QWidget* QtPictureWindow::Widget() const {
  return widget_;
}

QWidget* QtPictureWindow::Area() const {
  return widget_->Area();
}

}  // namespace sprite::winsys::qt
