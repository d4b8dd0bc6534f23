#include "winsys/qt/qt_window_system.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QEventLoop>
#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtGui/QCloseEvent>
#include <QtGui/QFontDatabase>
#include <QtGui/QGuiApplication>
#include <QtGui/QIcon>
#include <QtGui/QImage>
#include <QtGui/QKeyEvent>
#include <QtGui/QPainter>
#include <QtGui/QPixmap>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include <QtWidgets/QLineEdit>
#include "common/error.h"
#include "winsys/qt/qt_common_dialog_calls.h"
#include "winsys/qt/qt_list_box.h"
#include "winsys/qt/qt_text.h"
#include "winsys/qt/qt_text_box.h"
#include "winsys/qt/qt_window_calls.h"

namespace sprite::winsys::qt {
namespace {

constexpr char kFallbackFamily[] = "DejaVu Sans";
constexpr HINSTANCE kInstance = 1;

double TwipsPerPixel(bool horizontal) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  double dpi = 96.0;
  if (screen != nullptr) {
    dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
  }
  return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

void ShowMessage(QWidget* parent, const QString& text, const QString& informativeText = {}) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(QtWindowSystem::kApplicationTitle), text,
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.setInformativeText(informativeText);
  // The informative text has a label of its own that guesses its format; paths may hold "<".
  for (QLabel* label : box.findChildren<QLabel*>()) {
    label->setTextFormat(Qt::PlainText);
  }
  box.exec();
}

// Errors must not travel through Qt's event handling: a handler that fails is
// reported in a message box and the window goes on.
void RunGuarded(const std::function<void()>& handler, const QPointer<QWidget>& window) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowMessage(window.data(), QString::fromUtf8(error.what()));
  } catch (...) {
    ShowMessage(window.data(), QStringLiteral("An unexpected error stopped the command."));
  }
}

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

QImage ToImage(const Picture& picture) {
  constexpr std::int32_t kMaxSide = 32767;
  if (picture.width <= 0 || picture.height <= 0 || picture.width > kMaxSide ||
      picture.height > kMaxSide ||
      picture.rgb.size() != static_cast<std::size_t>(picture.width) * picture.height * 3) {
    throw InvalidArgumentError("picture of " + std::to_string(picture.width) + " x " +
                               std::to_string(picture.height) + " pixels holds " +
                               std::to_string(picture.rgb.size()) + " bytes, not 3 per pixel");
  }
  return QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                QImage::Format_RGB888)
      .copy();
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

// A label caption as the platform shows it: "&" marks an access key and is
// not drawn, "&&" is one "&".
QString LabelText(const std::string& caption) {
  const QString text = FromUtf8(caption);
  QString shown;
  shown.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) {
      ++i;
    }
    shown += text[i];
  }
  return shown;
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

class TopLevelWidget : public QWidget {
 public:
  TopLevelWidget() = default;

  std::function<bool()> closeHandler;
  std::function<void()> closed;  // after the window closed, for a modal loop
  bool closingByProgram = false;
  QPointer<QPushButton> defaultButton;
  QPointer<QPushButton> cancelButton;

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (!closingByProgram && closeHandler) {
      bool mayClose = true;
      RunGuarded([&] { mayClose = closeHandler(); }, this);
      if (!mayClose) {
        event->ignore();
        return;
      }
    }
    event->accept();
    if (closed) {
      const auto notify = closed;
      notify();
    }
  }

  // Enter presses the focused button, else the default one; Esc the cancel one.
  void keyPressEvent(QKeyEvent* event) override {
    QPushButton* target = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      target = qobject_cast<QPushButton*>(focusWidget());
      if (target == nullptr) {
        target = defaultButton.data();
      }
    } else if (event->key() == Qt::Key_Escape) {
      target = cancelButton.data();
    }
    if (target != nullptr && target->isEnabled() && target->isVisible()) {
      target->click();
      return;
    }
    QWidget::keyPressEvent(event);
  }
};

class LineWidget : public QWidget {
 public:
  LineWidget(const QPoint& from, const QPoint& to, const QColor& colour, QWidget* parent)
      : QWidget(parent), colour_(colour) {
    const QRect bounds = QRect(from, to).normalized();
    setGeometry(bounds);
    from_ = from - bounds.topLeft();
    to_ = to - bounds.topLeft();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(colour_);
    painter.drawLine(from_, to_);
  }

 private:
  QColor colour_;
  QPoint from_;
  QPoint to_;
};

class QtPushButton : public PushButton {
 public:
  QtPushButton(QPushButton* button, TopLevelWidget* window, QObject* context)
      : button_(button), window_(window) {
    button_->setAutoDefault(false);
    QObject::connect(button_, &QPushButton::clicked, context, [this] {
      if (!handler_) {
        return;
      }
      // Copies: the handler may close and destroy the window, this object with it.
      const auto handler = handler_;
      const QPointer<QWidget> window = window_;
      RunGuarded(handler, window);
    });
  }

  void SetEnabled(bool enabled) override { button_->setEnabled(enabled); }
  bool Enabled() const override { return button_->isEnabled(); }
  void SetOnClick(std::function<void()> handler) override { handler_ = std::move(handler); }
  void SetDefault(bool isDefault) override {
    button_->setDefault(isDefault);
    if (isDefault) {
      window_->defaultButton = button_;
    } else if (window_->defaultButton == button_) {
      window_->defaultButton = nullptr;
    }
  }
  void SetCancel(bool isCancel) override {
    if (isCancel) {
      window_->cancelButton = button_;
    } else if (window_->cancelButton == button_) {
      window_->cancelButton = nullptr;
    }
  }

 private:
  QPushButton* button_;
  TopLevelWidget* window_;
  std::function<void()> handler_;
};

class QtLabel : public Label {
 public:
  explicit QtLabel(QLabel* label) : label_(label) {
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  void SetCaption(const std::string& caption) override { label_->setText(LabelText(caption)); }

 private:
  QLabel* label_;
};

class QtControlHost : public ControlHost {
 public:
  QtControlHost(QWidget* widget, HWND handle, double twipsPerPixelX, double twipsPerPixelY)
      : widget_(widget),
        handle_(handle),
        twipsPerPixelX_(twipsPerPixelX),
        twipsPerPixelY_(twipsPerPixelY) {}

  double ScaleWidth() const override { return widget_->width() * twipsPerPixelX_; }
  double ScaleHeight() const override { return widget_->height() * twipsPerPixelY_; }
  double TwipsPerPixelX() const override { return twipsPerPixelX_; }
  double TwipsPerPixelY() const override { return twipsPerPixelY_; }
  HWND hWnd() const override { return handle_; }
  HINSTANCE hInstance() const override { return kInstance; }
  // Nothing saves the design at run time; the flag is all that is kept.
  void PropertyChanged(std::string_view) override { designChanged_ = true; }

 private:
  QWidget* widget_;
  HWND handle_;
  double twipsPerPixelX_;
  double twipsPerPixelY_;
  bool designChanged_ = false;
};

class QtWindow : public Window {
 public:
  QtWindow(const WindowSpec& design, QtWindowCalls& calls)
      : calls_(calls),
        twipsPerPixelX_(QtWindowSystem::TwipsPerPixelX()),
        twipsPerPixelY_(QtWindowSystem::TwipsPerPixelY()),
        widget_(new TopLevelWidget),
        context_(std::make_unique<QObject>()),
        centred_(design.centred) {
    handle_ = calls_.Register(widget_);
    widget_->setWindowTitle(FromUtf8(design.caption));
    const QSize client(PixelsX(std::max(0, design.clientWidth)),
                       PixelsY(std::max(0, design.clientHeight)));
    // A dialog window stays out of the task bar.
    const Qt::WindowFlags kind = design.showInTaskbar ? Qt::Window : Qt::Dialog;
    if (design.fixedBorder) {
      widget_->setWindowFlags(kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
      widget_->setFixedSize(client);
    } else {
      widget_->setWindowFlags(kind);
      widget_->resize(client);
    }
    widget_->setFont(MakeFont(design.font));
    widget_->setWindowIcon(design.icon.Empty() ? ProgramIcon()
                                               : QIcon(QPixmap::fromImage(ToImage(design.icon))));
  }

  ~QtWindow() override {
    context_.reset();  // no click reaches a handler from here on
    calls_.Forget(widget_);
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

  PushButton& AddButton(const ControlSpec& design, const std::string& caption) override {
    auto* button = new QPushButton(FromUtf8(caption), widget_);
    Place(button, design, true);
    return *buttons_.emplace_back(std::make_unique<QtPushButton>(button, widget_, context_.get()));
  }

  ListBox& AddListBox(const ControlSpec& design) override {
    auto& list = *listBoxes_.emplace_back(std::make_unique<QtListBox>(widget_, context_.get()));
    Place(list.widget(), design, true);
    return list;
  }

  TextBox& AddTextBox(const ControlSpec& design, const std::string& text) override {
    auto& box = *textBoxes_.emplace_back(std::make_unique<QtTextBox>(widget_));
    box.SetText(text);
    Place(box.widget(), design, true);
    return box;
  }

  Label& AddLabel(const ControlSpec& design, const std::string& caption) override {
    auto* label = new QLabel(widget_);
    auto& adapter = *labels_.emplace_back(std::make_unique<QtLabel>(label));
    adapter.SetCaption(caption);
    Place(label, design, false);
    return adapter;
  }

  ControlHost& AddControlHost(const ControlSpec& design) override {
    auto* area = new QWidget(widget_);
    Place(area, design, false);
    const HWND handle = calls_.Register(area);
    return *hosts_.emplace_back(
        std::make_unique<QtControlHost>(area, handle, twipsPerPixelX_, twipsPerPixelY_));
  }

  void AddPictureBox(const ControlSpec& design, const Picture& picture) override {
    const QImage image = ToImage(picture);
    auto* box = new QLabel(widget_);
    box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->setPixmap(QPixmap::fromImage(image));
    Place(box, design, false);
  }

  void AddLine(TwipsPoint from, TwipsPoint to, std::uint32_t colour) override {
    const QColor pen(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                     static_cast<int>((colour >> 16) & 0xFF));
    auto* line = new LineWidget(QPoint(PixelsX(from.x), PixelsY(from.y)),
                                QPoint(PixelsX(to.x), PixelsY(to.y)), pen, widget_);
    line->show();
  }

  HWND hWnd() const override { return handle_; }

  void Show() override {
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

  void Close() override {
    widget_->closingByProgram = true;
    widget_->close();
    widget_->closingByProgram = false;
  }

  void SetCloseHandler(std::function<bool()> handler) override {
    widget_->closeHandler = std::move(handler);
  }

  TopLevelWidget* widget() const { return widget_; }

 private:
  int PixelsX(std::int32_t twips) const {
    return static_cast<int>(std::lround(twips / twipsPerPixelX_));
  }
  int PixelsY(std::int32_t twips) const {
    return static_cast<int>(std::lround(twips / twipsPerPixelY_));
  }

  // Positions a control; controls that take the focus join the tab chain in
  // the order they are added.
  void Place(QWidget* control, const ControlSpec& design, bool takesFocus) {
    control->setObjectName(FromUtf8(design.name));
    control->setGeometry(PixelsX(design.rect.left), PixelsY(design.rect.top),
                         PixelsX(std::max(0, design.rect.width)),
                         PixelsY(std::max(0, design.rect.height)));
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

  QtWindowCalls& calls_;
  double twipsPerPixelX_;
  double twipsPerPixelY_;
  TopLevelWidget* widget_;
  std::unique_ptr<QObject> context_;
  HWND handle_ = 0;
  bool centred_;
  bool placed_ = false;
  QWidget* firstFocus_ = nullptr;
  QWidget* lastFocus_ = nullptr;
  std::vector<std::unique_ptr<QtPushButton>> buttons_;
  std::vector<std::unique_ptr<QtListBox>> listBoxes_;
  std::vector<std::unique_ptr<QtTextBox>> textBoxes_;
  std::vector<std::unique_ptr<QtLabel>> labels_;
  std::vector<std::unique_ptr<QtControlHost>> hosts_;
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

void QtWindowSystem::ShowModal(Window& window) {
  auto* qtWindow = dynamic_cast<QtWindow*>(&window);
  if (qtWindow == nullptr) {
    throw InvalidArgumentError("ShowModal: the window belongs to another window system");
  }
  const QPointer<TopLevelWidget> widget = qtWindow->widget();
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

void QtWindowSystem::MessageBox(const std::string& text, const std::string& informativeText) {
  ShowMessage(QApplication::activeWindow(), FromUtf8(text), FromUtf8(informativeText));
}

void QtWindowSystem::Yield() {
  // Reading the clock costs more than the rest of a skipped yield, so it is
  // read only every few calls; calls come microseconds apart while decoding.
  if (sinceYield_.isValid() && (++callsSinceClock_ & (kCallsPerClockRead - 1)) != 0) {
    return;
  }
  if (sinceYield_.isValid() && sinceYield_.elapsed() < kYieldIntervalMs) {
    return;
  }
  sinceYield_.start();
  QCoreApplication::processEvents();
}

void QtWindowSystem::Refresh() {
  // Called between pictures, milliseconds apart: the clock is read every time.
  if (sinceYield_.isValid() && sinceYield_.elapsed() < kYieldIntervalMs) {
    return;
  }
  sinceYield_.start();
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

double QtWindowSystem::TwipsPerPixelX() {
  return TwipsPerPixel(true);
}

double QtWindowSystem::TwipsPerPixelY() {
  return TwipsPerPixel(false);
}

}  // namespace sprite::winsys::qt
