#include "winsys/qt/qt_small_controls.h"

#include <QtGui/QDragEnterEvent>
#include <QtGui/QDropEvent>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPixmap>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <limits>
#include <utility>

#include "common/error.h"
#include "winsys/qt/dropped_files.h"
#include "winsys/qt/message_box.h"
#include "winsys/qt/qt_text.h"
#include "winsys/qt/top_level_widget.h"

namespace sprite::winsys::qt {
namespace {

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

QImage ToImage(const Picture& picture) {
  constexpr std::int32_t kMaxSide = 32767;
  if (picture.width <= 0 || picture.height <= 0 || picture.width > kMaxSide ||
      picture.height > kMaxSide ||
      picture.rgb.size() !=
          static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3) {
    throw InvalidArgumentError("picture of " + std::to_string(picture.width) + " x " +
                               std::to_string(picture.height) + " pixels holds " +
                               std::to_string(picture.rgb.size()) + " bytes, not 3 per pixel");
  }
  return QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                QImage::Format_RGB888)
      .copy();
}

template <typename QtControl, typename Control>
QtControl& Downcast(Control& control) {
  auto* made = dynamic_cast<QtControl*>(&control);
  if (made == nullptr) {
    throw InvalidArgumentError("the control belongs to another window system");
  }
  return *made;
}

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

}  // namespace

class FileDropLineEdit : public QLineEdit {
 public:
  explicit FileDropLineEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(std::numeric_limits<int>::max());
  }

  std::function<void(const std::vector<std::string>&)> onFilesDropped;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override {
    if (TakesFiles(event)) {
      event->acceptProposedAction();
    } else {
      QLineEdit::dragEnterEvent(event);
    }
  }
  void dragMoveEvent(QDragMoveEvent* event) override {
    if (TakesFiles(event)) {
      event->acceptProposedAction();
    } else {
      QLineEdit::dragMoveEvent(event);
    }
  }
  void dropEvent(QDropEvent* event) override {
    if (!TakesFiles(event)) {
      QLineEdit::dropEvent(event);
      return;
    }
    event->acceptProposedAction();
    const auto handler = onFilesDropped;
    handler(DroppedFiles(event->mimeData()));
  }

 private:
  bool TakesFiles(const QDropEvent* event) const {
    return onFilesDropped && !DroppedFiles(event->mimeData()).empty();
  }
};

QtTextBox::QtTextBox(QWidget* parent) : edit_(new FileDropLineEdit(parent)) {}

QLineEdit* QtTextBox::Widget() const {
  return edit_;
}

std::string QtTextBox::Text() const {
  return ToUtf8(edit_->text());
}

void QtTextBox::SetText(const std::string& text) {
  edit_->setText(FromUtf8(text));
}

void QtTextBox::SetEnabled(bool enabled) {
  if (auto* window = dynamic_cast<TopLevelWidget*>(edit_->window())) {
    window->SetControlEnabled(*edit_, enabled);
  } else {
    edit_->setEnabled(enabled);
  }
}

void QtTextBox::SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> handler) {
  edit_->onFilesDropped = std::move(handler);
}

void QtTextBox::SetOnEnter(std::function<void()> handler) {
  QObject::disconnect(edit_, &QLineEdit::returnPressed, nullptr, nullptr);
  if (handler) {
    QObject::connect(edit_, &QLineEdit::returnPressed, edit_,
                     [this, handler] { RunGuarded(handler, edit_->window()); });
  }
}

QtPushButton::QtPushButton(const std::string& caption, TopLevelWidget* window, QObject* context)
    : button_(new QPushButton(FromUtf8(caption), window)), window_(window) {
  button_->setAutoDefault(false);
  QObject::connect(button_, &QPushButton::clicked, context, [this] {
    if (!handler_) {
      return;
    }
    // Copies: the handler may close and destroy the window, this object with it.
    const auto handler = handler_;
    const QPointer<QWidget> owner = window_;
    RunGuarded(handler, owner);
  });
}

void QtPushButton::SetEnabled(bool enabled) {
  window_->SetControlEnabled(*button_, enabled);
}

bool QtPushButton::Enabled() const {
  return button_->isEnabled();
}

void QtPushButton::SetOnClick(std::function<void()> handler) {
  handler_ = std::move(handler);
}

void QtPushButton::SetDefault(bool isDefault) {
  button_->setDefault(isDefault);
  if (isDefault) {
    window_->defaultButton = button_;
  } else if (window_->defaultButton == button_) {
    window_->defaultButton = nullptr;
  }
}

void QtPushButton::SetCancel(bool isCancel) {
  if (isCancel) {
    window_->cancelButton = button_;
  } else if (window_->cancelButton == button_) {
    window_->cancelButton = nullptr;
  }
}

QtLabel::QtLabel(QWidget* parent) : label_(new QLabel(parent)) {
  label_->setTextFormat(Qt::PlainText);
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void QtLabel::SetCaption(const std::string& caption) {
  label_->setText(LabelText(caption));
}

QLabel* MakePictureBox(const Picture& picture, QWidget* parent) {
  const QImage image = ToImage(picture);
  auto* box = new QLabel(parent);
  box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  box->setPixmap(QPixmap::fromImage(image));
  return box;
}

QIcon PictureIcon(const Picture& picture) {
  return QIcon(QPixmap::fromImage(ToImage(picture)));
}

QWidget* MakeLine(const QPoint& from, const QPoint& to, std::uint32_t rgb, QWidget* parent) {
  const QColor pen(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                   static_cast<int>((rgb >> 16) & 0xFF));
  return new LineWidget(from, to, pen, parent);
}

QLineEdit* WidgetOf(TextBox& control) {
  return Downcast<QtTextBox>(control).Widget();
}

QPushButton* WidgetOf(PushButton& control) {
  return Downcast<QtPushButton>(control).Widget();
}

QLabel* WidgetOf(Label& control) {
  return Downcast<QtLabel>(control).Widget();
}

}  // namespace sprite::winsys::qt
