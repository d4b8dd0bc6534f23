#include "winsys/win32/win32_menu.h"

#include "winsys/win32/win32_controls.h"

namespace sprite::winsys::win32 {
namespace {

// How an item shows its shortcut, after a tab: "Alt+Up".
std::string ShortcutText(const Shortcut& shortcut) {
  std::string text = shortcut.control ? "Ctrl+" : "";
  if (shortcut.alt) {
    text += "Alt+";
  }
  switch (shortcut.key) {
    case VK_UP:
      return text + "Up";
    case VK_DOWN:
      return text + "Down";
    default:
      return text + static_cast<char>(shortcut.key);
  }
}

}  // namespace

void Win32MenuItem::SetChecked(bool checked) {
  checked_ = checked;
  ::CheckMenuItem(menu_, static_cast<UINT>(id_),
                  MF_BYCOMMAND | static_cast<UINT>(checked ? MF_CHECKED : MF_UNCHECKED));
}

void Win32MenuItem::SetEnabled(bool enabled) {
  enabled_ = enabled;
  ::EnableMenuItem(menu_, static_cast<UINT>(id_),
                   MF_BYCOMMAND | static_cast<UINT>(enabled ? MF_ENABLED : MF_GRAYED));
}

void Win32MenuItem::Choose(::HWND owner) {
  if (!enabled_) {
    return;
  }
  if (checkable_) {
    SetChecked(!checked_);
  }
  if (onChoose_) {
    const std::function<void()> handler = onChoose_;  // it may destroy the window
    RunGuarded(handler, owner);
  }
}

MenuItem& Win32Menu::AddItem(const MenuItemSpec& design) {
  return bar_.Add(menu_, design);
}

void Win32Menu::AddSeparator() {
  ::AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
}

Win32MenuBar::Win32MenuBar(::HWND window, int firstId)
    : window_(window), bar_(::CreateMenu()), nextId_(firstId) {
  ::SetMenu(window_, bar_);
}

Win32MenuBar::~Win32MenuBar() {
  if (accelerators_ != nullptr) {
    ::DestroyAcceleratorTable(accelerators_);
  }
  // Taken off its window first, so that it is destroyed once, here: a window
  // destroys the menu it holds, and a handle destroyed twice may by then
  // stand for another menu.
  if (::GetMenu(window_) == bar_) {
    ::SetMenu(window_, nullptr);
  }
  ::DestroyMenu(bar_);
}

Menu& Win32MenuBar::AddMenu(const std::string& caption) {
  ::HMENU menu = ::CreatePopupMenu();
  ::AppendMenuW(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), Wide(caption).c_str());
  ::DrawMenuBar(window_);
  return *menus_.emplace_back(std::make_unique<Win32Menu>(menu, *this));
}

Win32MenuItem& Win32MenuBar::Add(::HMENU menu, const MenuItemSpec& design) {
  const int id = nextId_++;
  std::string text = design.caption;
  if (!design.shortcut.None()) {
    text += "\t" + ShortcutText(design.shortcut);
    const auto modifiers = static_cast<BYTE>(FVIRTKEY | (design.shortcut.alt ? FALT : 0) |
                                             (design.shortcut.control ? FCONTROL : 0));
    keys_.push_back({modifiers, design.shortcut.key, static_cast<WORD>(id)});
    if (accelerators_ != nullptr) {
      ::DestroyAcceleratorTable(accelerators_);
    }
    accelerators_ = ::CreateAcceleratorTableW(keys_.data(), static_cast<int>(keys_.size()));
  }
  ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), Wide(text).c_str());
  return *items_.emplace_back(std::make_unique<Win32MenuItem>(menu, id, design.checkable));
}

bool Win32MenuBar::Command(int id) {
  for (const auto& item : items_) {
    if (item->Id() == id) {
      item->Choose(window_);
      return true;
    }
  }
  return false;
}

}  // namespace sprite::winsys::win32
