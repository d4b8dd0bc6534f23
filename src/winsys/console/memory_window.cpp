#include "winsys/console/memory_window.h"

#include <stdexcept>

namespace sprite::winsys {

void MemoryWindow::Place(const ControlSpec& spec) {
  if (rects_.count(spec.name) != 0) {
    throw std::invalid_argument("a control named " + spec.name + " already exists");
  }
  rects_[spec.name] = spec.rect;
  tabOrder_.push_back(spec.name);
}

PushButton& MemoryWindow::AddButton(const ControlSpec& spec, const std::string& caption) {
  Place(spec);
  return *(buttons_[spec.name] = std::make_unique<MemoryPushButton>(caption));
}

ListBox& MemoryWindow::AddListBox(const ControlSpec& spec) {
  Place(spec);
  return *(listBoxes_[spec.name] = std::make_unique<MemoryListBox>());
}

TextBox& MemoryWindow::AddTextBox(const ControlSpec& spec, const std::string& text) {
  Place(spec);
  return *(textBoxes_[spec.name] = std::make_unique<MemoryTextBox>(text));
}

Label& MemoryWindow::AddLabel(const ControlSpec& spec, const std::string& caption) {
  Place(spec);
  return *(labels_[spec.name] = std::make_unique<MemoryLabel>(caption));
}

ControlHost& MemoryWindow::AddControlHost(const ControlSpec& spec) {
  Place(spec);
  const HWND handle = window_ + static_cast<HWND>(tabOrder_.size());
  return *(hosts_[spec.name] = std::make_unique<MemoryControlHost>(spec.rect, handle));
}

bool MemoryWindow::RequestClose() {
  if (onClose_ && !onClose_()) {
    return false;
  }
  shown_ = false;
  return true;
}

}  // namespace sprite::winsys
