// A window's menus held in memory: the in-memory backend's, and what the tests
// choose items from.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "winsys/menu.h"

namespace sprite::winsys {

class MemoryMenuItem : public MenuItem {
 public:
  explicit MemoryMenuItem(MenuItemSpec design) : design_(std::move(design)) {}
  void SetOnChoose(std::function<void()> handler) override { onChoose_ = std::move(handler); }
  void SetChecked(bool checked) override { checked_ = checked; }
  bool Checked() const override { return checked_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const { return enabled_; }
  const MenuItemSpec& Design() const { return design_; }
  // The user chooses the item (a click, its access key or its shortcut): a
  // disabled one does nothing, a check item changes its mark first.
  void Choose();

 private:
  MenuItemSpec design_;
  bool checked_ = false;
  bool enabled_ = true;
  std::function<void()> onChoose_;
};

class MemoryMenu : public Menu {
 public:
  explicit MemoryMenu(std::string caption) : caption_(std::move(caption)) {}
  MenuItem& AddItem(const MenuItemSpec& design) override;
  // Kept as an item without a caption.
  void AddSeparator() override { AddItem({}); }

  const std::string& Caption() const { return caption_; }
  // The items in order, separators as items without a caption.
  const std::vector<std::unique_ptr<MemoryMenuItem>>& Items() const { return items_; }
  // InvalidArgumentError for a caption that names no item.
  MemoryMenuItem& ItemNamed(const std::string& caption) const;

 private:
  std::string caption_;
  std::vector<std::unique_ptr<MemoryMenuItem>> items_;
};

}  // namespace sprite::winsys
