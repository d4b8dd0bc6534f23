#include "winsys/memory/memory_menu.h"

#include "common/error.h"

namespace sprite::winsys {

void MemoryMenuItem::Choose() {
  if (!enabled_) {
    return;
  }
  if (design_.checkable) {
    checked_ = !checked_;
  }
  if (onChoose_) {
    onChoose_();
  }
}

MenuItem& MemoryMenu::AddItem(const MenuItemSpec& design) {
  return *items_.emplace_back(std::make_unique<MemoryMenuItem>(design));
}

MemoryMenuItem& MemoryMenu::ItemNamed(const std::string& caption) const {
  for (const auto& item : items_) {
    if (item->Design().caption == caption) {
      return *item;
    }
  }
  throw InvalidArgumentError("the menu " + caption_ + " has no item " + caption);
}

}  // namespace sprite::winsys
