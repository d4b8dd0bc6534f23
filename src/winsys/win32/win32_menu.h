// A window's menu bar on Win32: the system's menus in the window's non-client
// area, so that the client area keeps its size, and an accelerator table for
// the items' shortcut keys.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "winsys/menu.h"
#include "winsys/win32/win32_windows.h"

namespace sprite::winsys::win32 {

class Win32MenuItem : public MenuItem {
 public:
  Win32MenuItem(::HMENU menu, int id, bool checkable)
      : menu_(menu), id_(id), checkable_(checkable) {}

  void SetOnChoose(std::function<void()> handler) override { onChoose_ = std::move(handler); }
  void SetChecked(bool checked) override;
  bool Checked() const override { return checked_; }
  void SetEnabled(bool enabled) override;

  int Id() const { return id_; }
  // The user chose it: a disabled item does nothing, a check item changes its mark first.
  void Choose(::HWND owner);

 private:
  ::HMENU menu_;
  int id_;
  bool checkable_;
  bool checked_ = false;
  bool enabled_ = true;
  std::function<void()> onChoose_;
};

class Win32MenuBar;

class Win32Menu : public Menu {
 public:
  Win32Menu(::HMENU menu, Win32MenuBar& bar) : menu_(menu), bar_(bar) {}

  MenuItem& AddItem(const MenuItemSpec& design) override;
  void AddSeparator() override;

 private:
  ::HMENU menu_;
  Win32MenuBar& bar_;
};

class Win32MenuBar {
 public:
  // Items take command ids from `firstId` up, clear of the controls' ids.
  Win32MenuBar(::HWND window, int firstId);
  // Must go before its window is destroyed.
  ~Win32MenuBar();
  Win32MenuBar(const Win32MenuBar&) = delete;
  Win32MenuBar& operator=(const Win32MenuBar&) = delete;

  Menu& AddMenu(const std::string& caption);
  // A WM_COMMAND of a menu item or an accelerator; false for another id.
  bool Command(int id);
  // The items' shortcut keys, for TranslateAcceleratorW; nullptr for none.
  ::HACCEL Accelerators() const { return accelerators_; }

 private:
  friend class Win32Menu;
  Win32MenuItem& Add(::HMENU menu, const MenuItemSpec& design);

  ::HWND window_;
  ::HMENU bar_;
  int nextId_;
  std::vector<std::unique_ptr<Win32Menu>> menus_;
  std::vector<std::unique_ptr<Win32MenuItem>> items_;
  std::vector<ACCEL> keys_;
  ::HACCEL accelerators_ = nullptr;
};

}  // namespace sprite::winsys::win32
