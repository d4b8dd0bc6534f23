#include "winsys/memory/memory_controls.h"

#include <algorithm>

#include "common/error.h"
#include "winsys/list_box_rules.h"

namespace sprite::winsys {
namespace {

template <typename Memory, typename Control>
Memory& Downcast(Control& control) {
  auto* memory = dynamic_cast<Memory*>(&control);
  if (memory == nullptr) {
    throw InvalidArgumentError("the control belongs to another window system");
  }
  return *memory;
}

}  // namespace

void MemoryListBox::Clear() {
  lines_.clear();
  count_ = 0;
  selected_ = -1;
}

void MemoryListBox::AddItem(const std::string& line) {
  lines_.push_back(line);
  ++count_;
  if (onAdd_) {
    onAdd_(line);
  }
}

std::int16_t MemoryListBox::ListCount() const {
  return ListCount16(count_);
}

std::string MemoryListBox::List(std::int16_t index) const {
  CheckListIndex(index, static_cast<std::int64_t>(lines_.size()));
  return lines_[static_cast<std::size_t>(index)];
}

void MemoryListBox::SetListIndex(std::int16_t index) {
  if (index != -1) {
    CheckListIndex(index, count_);
  }
  selected_ = index;
}

void MemoryListBox::SelectLast() {
  selected_ = static_cast<std::int16_t>(std::min(count_ - 1, kMaxListCount));
}

void MemoryListBox::RemoveItem(std::int16_t index) {
  CheckListIndex(index, static_cast<std::int64_t>(lines_.size()));
  lines_.erase(lines_.begin() + index);
  --count_;
  selected_ = -1;
}

void MemoryListBox::InsertItem(std::int16_t index, const std::string& line) {
  if (index != ListCount()) {
    CheckListIndex(index, static_cast<std::int64_t>(lines_.size()));
  }
  lines_.insert(lines_.begin() + index, line);
  ++count_;
  selected_ = -1;
}

void MemoryListBox::Click(std::int16_t index) {
  CheckListIndex(index, static_cast<std::int64_t>(lines_.size()));
  const bool changed = index != selected_;
  selected_ = index;
  if (changed && onSelect_) {
    onSelect_();
  }
}

void MemoryListBox::DoubleClick(std::int16_t index) {
  Click(index);
  if (onOpen_) {
    onOpen_();
  }
}

void MemoryListBox::PressEnter() {
  if (selected_ >= 0 && onOpen_) {
    onOpen_();
  }
}

void MemoryPushButton::Click() {
  if (enabled_ && onClick_) {
    onClick_();
  }
}

MemoryListBox& AsMemory(ListBox& control) {
  return Downcast<MemoryListBox>(control);
}

MemoryTextBox& AsMemory(TextBox& control) {
  return Downcast<MemoryTextBox>(control);
}

MemoryPushButton& AsMemory(PushButton& control) {
  return Downcast<MemoryPushButton>(control);
}

MemoryLabel& AsMemory(Label& control) {
  return Downcast<MemoryLabel>(control);
}

}  // namespace sprite::winsys
