#include "winsys/qt/top_level_widget.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QKeyEvent>

#include "winsys/qt/message_box.h"

namespace sprite::winsys::qt {

void TopLevelWidget::closeEvent(QCloseEvent* event) {
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

void TopLevelWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (resized) {
    resized();
  }
}

void TopLevelWidget::SetControlEnabled(QWidget& control, bool enabled) {
  if (!enabled) {
    const bool hadFocus = focusWidget() == &control;
    control.setEnabled(false);
    if (hadFocus) {
      if (focusLeft_.isNull() || focusLeft_->isEnabled()) {
        focusLeft_ = &control;
      }
      focusWentTo_ = focusWidget();
    }
    return;
  }
  control.setEnabled(true);
  if (focusLeft_ == &control) {
    if (focusWidget() == focusWentTo_) {
      control.setFocus(Qt::OtherFocusReason);
    }
    focusLeft_ = nullptr;
    focusWentTo_ = nullptr;
  }
}

void TopLevelWidget::keyPressEvent(QKeyEvent* event) {
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

}  // namespace sprite::winsys::qt
