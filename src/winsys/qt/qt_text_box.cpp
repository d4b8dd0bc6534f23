#include "winsys/qt/qt_text_box.h"

#include <QtGui/QDragEnterEvent>
#include <QtGui/QDropEvent>
#include <QtWidgets/QLineEdit>
#include <limits>
#include <utility>

#include "winsys/qt/dropped_files.h"
#include "winsys/qt/qt_text.h"

namespace sprite::winsys::qt {

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

QLineEdit* QtTextBox::widget() const {
  return edit_;
}

std::string QtTextBox::Text() const {
  return ToUtf8(edit_->text());
}

void QtTextBox::SetText(const std::string& text) {
  edit_->setText(FromUtf8(text));
}

void QtTextBox::SetEnabled(bool enabled) {
  edit_->setEnabled(enabled);
}

void QtTextBox::SetOnFilesDropped(std::function<void(const std::vector<std::string>&)> handler) {
  edit_->onFilesDropped = std::move(handler);
}

}  // namespace sprite::winsys::qt
