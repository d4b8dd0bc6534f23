#include "winsys/console/memory_window.h"

#include <stdexcept>

namespace sprite::winsys {

void MemoryWindow::Place(const ControlSpec& design) {
  if (rects_.count(design.name) != 0) {
    throw std::invalid_argument("a control named " + design.name + " already exists");
  }
  rects_[design.name] = design.rect;
  tabOrder_.push_back(design.name);
}

PushButton& MemoryWindow::AddButton(const ControlSpec& design, const std::string& caption) {
  Place(design);
  return *(buttons_[design.name] = std::make_unique<MemoryPushButton>(caption));
}

ListBox& MemoryWindow::AddListBox(const ControlSpec& design) {
  Place(design);
  return *(listBoxes_[design.name] = std::make_unique<MemoryListBox>());
}

TextBox& MemoryWindow::AddTextBox(const ControlSpec& design, const std::string& text) {
  Place(design);
  return *(textBoxes_[design.name] = std::make_unique<MemoryTextBox>(text));
}

Label& MemoryWindow::AddLabel(const ControlSpec& design, const std::string& caption) {
  Place(design);
  return *(labels_[design.name] = std::make_unique<MemoryLabel>(caption));
}

ControlHost& MemoryWindow::AddControlHost(const ControlSpec& design) {
  Place(design);
  const HWND handle = window_ + static_cast<HWND>(tabOrder_.size());
  return *(hosts_[design.name] = std::make_unique<MemoryControlHost>(design.rect, handle));
}

void MemoryWindow::AddPictureBox(const ControlSpec& design, const Picture& picture) {
  Place(design);
  pictures_[design.name] = picture;
}

bool MemoryWindow::RequestClose() {
  if (onClose_ && !onClose_()) {
    return false;
  }
  shown_ = false;
  return true;
}

}  // namespace sprite::winsys
