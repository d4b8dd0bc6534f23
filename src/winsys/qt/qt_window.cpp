#include "winsys/qt/qt_window.h"

#include <QtGui/QFontDatabase>
#include <QtGui/QGuiApplication>
#include <QtGui/QIcon>
#include <QtGui/QImage>
#include <QtGui/QPixmap>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListView>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <algorithm>
#include <cmath>
#include <utility>

#include "winsys/qt/qt_list_box.h"
#include "winsys/qt/qt_menu.h"
#include "winsys/qt/qt_small_controls.h"
#include "winsys/qt/qt_text.h"
#include "winsys/qt/qt_window_calls.h"
#include "winsys/qt/qt_window_system.h"
#include "winsys/qt/top_level_widget.h"

namespace sprite::winsys::qt {
namespace {

constexpr char kFallbackFamily[] = "DejaVu Sans";
constexpr HINSTANCE kInstance = 1;

}  // namespace

QFont MakeFont(const FontSpec& design) {
  QString family = FromUtf8(design.name);
  if (family.isEmpty() || !QFontDatabase::hasFamily(family)) {
    family = QFontDatabase::hasFamily(kFallbackFamily) ? QString::fromLatin1(kFallbackFamily)
                                                       : QApplication::font().family();
  }
  QFont font(family);
  font.setPointSizeF(design.points > 0 ? design.points : 8.25);
  font.setWeight(
      static_cast<QFont::Weight>(std::clamp(design.weight > 0 ? design.weight : 400, 1, 1000)));
  return font;
}

// The program's own icon, from one 256 x 256 image compiled in as a resource.
// The smaller sizes are made here too: X11 drops a window icon as large as
// the image, and whole pixels per cell of its 16 x 16 grid keep it sharp.
QIcon ProgramIcon() {
  const QImage image(QStringLiteral(":/icons/program_icon.png"));
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    icon.addPixmap(QPixmap::fromImage(
        image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
  }
  return icon;
}

// The area a control such as oProgressBar draws itself into. Its twips per
// pixel are whole, so that the control's pixels are the area's.
class QtControlHost : public ControlHost, public QObject {
 public:
  QtControlHost(QWidget* widget, HWND handle, double twipsPerPixelX, double twipsPerPixelY)
      : widget_(widget),
        handle_(handle),
        twipsPerPixelX_(WholeTwipsPerPixel(1440.0 / twipsPerPixelX)),
        twipsPerPixelY_(WholeTwipsPerPixel(1440.0 / twipsPerPixelY)) {
    widget_->installEventFilter(this);
  }

  double ScaleWidth() const override { return widget_->width() * twipsPerPixelX_; }
  double ScaleHeight() const override { return widget_->height() * twipsPerPixelY_; }
  double TwipsPerPixelX() const override { return twipsPerPixelX_; }
  double TwipsPerPixelY() const override { return twipsPerPixelY_; }
  HWND hWnd() const override { return handle_; }
  HINSTANCE hInstance() const override { return kInstance; }
  // Nothing saves the design at run time; the flag is all that is kept.
  void PropertyChanged(std::string_view) override { designChanged_ = true; }
  void SetOnResize(std::function<void()> handler) override { onResize_ = std::move(handler); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && event->type() == QEvent::Resize && onResize_) {
      const auto handler = onResize_;
      handler();
    }
    return false;
  }

 private:
  QWidget* widget_;
  HWND handle_;
  double twipsPerPixelX_;
  double twipsPerPixelY_;
  bool designChanged_ = false;
  std::function<void()> onResize_;
};

QtWindow::QtWindow(const WindowSpec& design, QtWindowCalls& calls)
    : calls_(calls),
      twipsPerPixelX_(QtWindowSystem::TwipsPerPixelX()),
      twipsPerPixelY_(QtWindowSystem::TwipsPerPixelY()),
      widget_(new TopLevelWidget),
      context_(std::make_unique<QObject>()),
      centred_(design.centred),
      fixed_(design.fixedBorder) {
  handle_ = calls_.Register(widget_);
  widget_->setWindowTitle(FromUtf8(design.caption));
  client_ =
      QSize(PixelsX(std::max(0, design.clientWidth)), PixelsY(std::max(0, design.clientHeight)));
  // A dialog window stays out of the task bar.
  const Qt::WindowFlags kind = design.showInTaskbar ? Qt::Window : Qt::Dialog;
  if (design.fixedBorder) {
    widget_->setWindowFlags(kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  } else {
    widget_->setWindowFlags(kind);
  }
  widget_->resize(client_);
  SetSizeLimits();
  widget_->resized = [this] { LayOut(); };
  widget_->setFont(MakeFont(design.font));
  widget_->setWindowIcon(design.icon.Empty() ? ProgramIcon() : PictureIcon(design.icon));
}

QtWindow::~QtWindow() {
  context_.reset();  // no click reaches a handler from here on
  calls_.Forget(widget_);
  widget_->resized = nullptr;
  widget_->closeHandler = nullptr;
  const auto closed = std::move(widget_->closed);
  widget_->closed = nullptr;
  widget_->hide();
  // Later: this may run inside one of the window's own click handlers.
  widget_->deleteLater();
  if (closed) {
    closed();
  }
}

PushButton& QtWindow::AddButton(const ControlSpec& design, const std::string& caption) {
  auto& button =
      *buttons_.emplace_back(std::make_unique<QtPushButton>(caption, widget_, context_.get()));
  Place(button.Widget(), design, true);
  return button;
}

ListBox& QtWindow::AddListBox(const ControlSpec& design) {
  auto& list = *listBoxes_.emplace_back(std::make_unique<QtListBox>(widget_, context_.get()));
  Place(list.Widget(), design, true);
  return list;
}

TextBox& QtWindow::AddTextBox(const ControlSpec& design, const std::string& text) {
  auto& box = *textBoxes_.emplace_back(std::make_unique<QtTextBox>(widget_));
  box.SetText(text);
  Place(box.Widget(), design, true);
  return box;
}

Label& QtWindow::AddLabel(const ControlSpec& design, const std::string& caption) {
  auto& label = *labels_.emplace_back(std::make_unique<QtLabel>(widget_));
  label.SetCaption(caption);
  Place(label.Widget(), design, false);
  return label;
}

ControlHost& QtWindow::AddControlHost(const ControlSpec& design) {
  auto* area = new QWidget(widget_);
  Place(area, design, false);
  const HWND handle = calls_.Register(area);
  return *hosts_.emplace_back(
      std::make_unique<QtControlHost>(area, handle, twipsPerPixelX_, twipsPerPixelY_));
}

void QtWindow::AddPictureBox(const ControlSpec& design, const Picture& picture) {
  Place(MakePictureBox(picture, widget_), design, false);
}

void QtWindow::AddLine(TwipsPoint from, TwipsPoint to, std::uint32_t colour) {
  QWidget* line = MakeLine(QPoint(PixelsX(from.x), PixelsY(from.y)),
                           QPoint(PixelsX(to.x), PixelsY(to.y)), colour, widget_);
  const QRect at = line->geometry();
  placedControls_.push_back({line, {at.x(), at.y(), at.width(), at.height()}, {}});
  LayOut();
  line->show();
}

Menu& QtWindow::AddMenu(const std::string& caption) {
  if (menuBar_ == nullptr) {
    menuBar_ = new QMenuBar(widget_);
    // In the window on every desktop, as the window's design has it.
    menuBar_->setNativeMenuBar(false);
    menuBar_->show();
  }
  QMenu* menu = menuBar_->addMenu(FromUtf8(caption));
  auto& made = *menus_.emplace_back(std::make_unique<QtMenu>(menu, widget_, context_.get()));
  SetSizeLimits();
  LayOut();
  return made;
}

int QtWindow::MenuHeight() const {
  return menuBar_ == nullptr ? 0 : menuBar_->sizeHint().height();
}

void QtWindow::SetSizeLimits() {
  const QSize least(client_.width(), client_.height() + MenuHeight());
  if (fixed_) {
    widget_->setFixedSize(least);
  } else {
    widget_->setMinimumSize(least);
    widget_->resize(widget_->size().expandedTo(least));
  }
}

void QtWindow::LayOut() {
  const int menu = MenuHeight();
  if (menuBar_ != nullptr) {
    menuBar_->setGeometry(0, 0, widget_->width(), menu);
  }
  const int extraWidth = std::max(0, widget_->width() - client_.width());
  const int extraHeight = std::max(0, widget_->height() - menu - client_.height());
  for (const PlacedControl& control : placedControls_) {
    const PixelRect at = Anchored(control.design, control.anchors, extraWidth, extraHeight);
    control.widget->setGeometry(at.left, at.top + menu, at.width, at.height);
  }
}

void QtWindow::Show() {
  if (centred_ && !placed_) {
    if (const QScreen* screen = widget_->screen()) {
      const QRect area = screen->availableGeometry();
      widget_->move(area.center() - QPoint(widget_->width() / 2, widget_->height() / 2));
    }
    placed_ = true;
  }
  widget_->show();
  // The offscreen platform of the tests has no stacking order to change.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    widget_->raise();
  }
  widget_->activateWindow();
  if (firstFocus_ != nullptr) {
    firstFocus_->setFocus(Qt::OtherFocusReason);
  }
}

void QtWindow::Close() {
  widget_->closingByProgram = true;
  widget_->close();
  widget_->closingByProgram = false;
}

void QtWindow::SetCloseHandler(std::function<bool()> handler) {
  widget_->closeHandler = std::move(handler);
}

int QtWindow::PixelsX(std::int32_t twips) const {
  return static_cast<int>(std::lround(twips / twipsPerPixelX_));
}

int QtWindow::PixelsY(std::int32_t twips) const {
  return static_cast<int>(std::lround(twips / twipsPerPixelY_));
}

void QtWindow::Place(QWidget* control, const ControlSpec& design, bool takesFocus) {
  control->setObjectName(FromUtf8(design.name));
  placedControls_.push_back(
      {control,
       {PixelsX(design.rect.left), PixelsY(design.rect.top),
        PixelsX(std::max(0, design.rect.width)), PixelsY(std::max(0, design.rect.height))},
       design.anchors});
  LayOut();
  if (takesFocus) {
    if (lastFocus_ == nullptr) {
      firstFocus_ = control;
    } else {
      QWidget::setTabOrder(lastFocus_, control);
    }
    lastFocus_ = control;
  } else {
    control->setFocusPolicy(Qt::NoFocus);
  }
  control->show();
}

}  // namespace sprite::winsys::qt
