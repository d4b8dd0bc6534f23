// The menus of a Qt window's menu bar: a QMenu of QActions each.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "winsys/menu.h"

class QAction;
class QMenu;
class QObject;
class QWidget;

namespace sprite::winsys::qt {

class QtMenuItem : public MenuItem {
 public:
  // `window` takes the item's shortcut wherever its focus is; `context` ends
  // the choices when it is destroyed.
  QtMenuItem(QAction* action, QWidget* window, QObject* context);

  QAction* Action() const { return action_; }

  void SetOnChoose(std::function<void()> handler) override { handler_ = std::move(handler); }
  void SetChecked(bool checked) override;
  bool Checked() const override;
  void SetEnabled(bool enabled) override;

 private:
  QAction* action_;
  std::function<void()> handler_;
};

class QtMenu : public Menu {
 public:
  QtMenu(QMenu* menu, QWidget* window, QObject* context)
      : menu_(menu), window_(window), context_(context) {}

  QMenu* Widget() const { return menu_; }

  MenuItem& AddItem(const MenuItemSpec& design) override;
  void AddSeparator() override;

 private:
  QMenu* menu_;
  QWidget* window_;
  QObject* context_;
  std::vector<std::unique_ptr<QtMenuItem>> items_;
};

// The action of an item that a Qt window made, for a tool or a test that
// chooses it. InvalidArgumentError for an item of another backend.
QAction* WidgetOf(MenuItem& item);

}  // namespace sprite::winsys::qt
