#include "winsys/qt/qt_menu.h"

#include <QtCore/QPointer>
#include <QtGui/QAction>
#include <QtGui/QKeySequence>
#include <QtWidgets/QMenu>
#include <QtWidgets/QWidget>

#include "common/error.h"
#include "winsys/qt/message_box.h"
#include "winsys/qt/qt_text.h"

namespace sprite::winsys::qt {
namespace {

// The shortcut's virtual key as Qt names it; the platform layer's shortcuts
// use only these.
QKeySequence KeysOf(const Shortcut& shortcut) {
  int key = 0;
  switch (shortcut.key) {
    case VK_UP:
      key = Qt::Key_Up;
      break;
    case VK_DOWN:
      key = Qt::Key_Down;
      break;
    default:
      return {};
  }
  const Qt::KeyboardModifiers modifiers((shortcut.alt ? Qt::AltModifier : Qt::NoModifier) |
                                        (shortcut.control ? Qt::ControlModifier : Qt::NoModifier));
  return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

}  // namespace

QtMenuItem::QtMenuItem(QAction* action, QWidget* window, QObject* context) : action_(action) {
  QObject::connect(action_, &QAction::triggered, context, [this, window = QPointer(window)] {
    if (handler_) {
      // A copy: the handler may close the window and this item with it.
      const auto handler = handler_;
      RunGuarded(handler, window);
    }
  });
}

void QtMenuItem::SetChecked(bool checked) {
  action_->setChecked(checked);
}

bool QtMenuItem::Checked() const {
  return action_->isChecked();
}

void QtMenuItem::SetEnabled(bool enabled) {
  action_->setEnabled(enabled);
}

MenuItem& QtMenu::AddItem(const MenuItemSpec& design) {
  QAction* action = menu_->addAction(FromUtf8(design.caption));
  action->setCheckable(design.checkable);
  if (!design.shortcut.None()) {
    action->setShortcut(KeysOf(design.shortcut));
    // Taken in the whole window, whether or not the menu was ever opened.
    window_->addAction(action);
  }
  return *items_.emplace_back(std::make_unique<QtMenuItem>(action, window_, context_));
}

void QtMenu::AddSeparator() {
  menu_->addSeparator();
}

QAction* WidgetOf(MenuItem& item) {
  auto* made = dynamic_cast<QtMenuItem*>(&item);
  if (made == nullptr) {
    throw InvalidArgumentError("the menu item belongs to another window system");
  }
  return made->Action();
}

}  // namespace sprite::winsys::qt
