// The menu bar of a window: menus of items, each chosen by a click, its access
// key or a shortcut key.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace sprite::winsys {

// Virtual-key codes of the keys a shortcut may use, as Windows publishes them.
inline constexpr std::uint16_t VK_UP = 0x26;
inline constexpr std::uint16_t VK_DOWN = 0x28;

// A key that chooses an item wherever the focus is in the item's window.
struct Shortcut {
  std::uint16_t key = 0;  // a virtual-key code; 0: none
  bool alt = false;
  bool control = false;

  bool None() const { return key == 0; }
};

struct MenuItemSpec {
  std::string caption;  // "&" before the access key
  Shortcut shortcut{};
  // A check item: the user's choice turns its mark on or off before the
  // handler hears of it.
  bool checkable = false;
};

class MenuItem {
 public:
  virtual ~MenuItem() = default;
  virtual void SetOnChoose(std::function<void()> handler) = 0;
  virtual void SetChecked(bool checked) = 0;
  virtual bool Checked() const = 0;
  // A disabled item cannot be chosen, by its shortcut neither.
  virtual void SetEnabled(bool enabled) = 0;
};

class Menu {
 public:
  virtual ~Menu() = default;
  virtual MenuItem& AddItem(const MenuItemSpec& design) = 0;
  virtual void AddSeparator() = 0;
};

}  // namespace sprite::winsys
