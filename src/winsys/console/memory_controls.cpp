#include "winsys/console/memory_controls.h"

#include <stdexcept>

namespace sprite::winsys {

void MemoryListBox::Clear() {
  lines_.clear();
  count_ = 0;
  selected_ = -1;
}

void MemoryListBox::AddItem(const std::string& line) {
  if (!echoOnly_) {
    lines_.push_back(line);
  }
  ++count_;
  if (onAdd_) {
    onAdd_(line);
  }
}

std::int16_t MemoryListBox::ListCount() const {
  // The count is a 16-bit signed value; a longer list reports its limit.
  return static_cast<std::int16_t>(count_ > INT16_MAX ? INT16_MAX : count_);
}

std::string MemoryListBox::List(std::int16_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= lines_.size()) {
    throw std::out_of_range("list index " + std::to_string(index) + " is out of range");
  }
  return lines_[static_cast<std::size_t>(index)];
}

void MemoryListBox::SetListIndex(std::int16_t index) {
  selected_ = index >= 0 && index < count_ ? index : -1;
}

void MemoryListBox::SelectLast() {
  selected_ = static_cast<std::int16_t>(count_ > INT16_MAX ? INT16_MAX : count_ - 1);
}

void MemoryListBox::RemoveItem(std::int16_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= lines_.size()) {
    throw std::out_of_range("list index " + std::to_string(index) + " is out of range");
  }
  lines_.erase(lines_.begin() + index);
  --count_;
  selected_ = -1;
}

void MemoryPushButton::Click() {
  if (enabled_ && onClick_) {
    onClick_();
  }
}

}  // namespace sprite::winsys
