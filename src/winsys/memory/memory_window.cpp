#include "winsys/memory/memory_window.h"

#include "common/error.h"

namespace sprite::winsys {
namespace {

template <typename Map>
auto& Named(Map& controls, const std::string& name, const char* kind) {
  const auto found = controls.find(name);
  if (found == controls.end()) {
    throw InvalidArgumentError(std::string("the window has no ") + kind + " named " + name);
  }
  return found->second;
}

}  // namespace

void MemoryWindow::Place(const ControlSpec& design) {
  if (designs_.count(design.name) != 0) {
    throw InvalidArgumentError("a control named " + design.name + " already exists");
  }
  designs_[design.name] = design;
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

const TwipsRect& MemoryWindow::RectOf(const std::string& name) const {
  return DesignOf(name).rect;
}

const ControlSpec& MemoryWindow::DesignOf(const std::string& name) const {
  return Named(designs_, name, "control");
}

Menu& MemoryWindow::AddMenu(const std::string& caption) {
  return *menus_.emplace_back(std::make_unique<MemoryMenu>(caption));
}

MemoryMenu& MemoryWindow::MenuNamed(const std::string& caption) const {
  for (const auto& menu : menus_) {
    if (menu->Caption() == caption) {
      return *menu;
    }
  }
  throw InvalidArgumentError("the window has no menu " + caption);
}

MemoryListBox& MemoryWindow::ListBoxNamed(const std::string& name) {
  return *Named(listBoxes_, name, "list box");
}

MemoryTextBox& MemoryWindow::TextBoxNamed(const std::string& name) {
  return *Named(textBoxes_, name, "text box");
}

MemoryPushButton& MemoryWindow::ButtonNamed(const std::string& name) {
  return *Named(buttons_, name, "button");
}

MemoryLabel& MemoryWindow::LabelNamed(const std::string& name) {
  return *Named(labels_, name, "label");
}

MemoryControlHost& MemoryWindow::ControlHostNamed(const std::string& name) {
  return *Named(hosts_, name, "control host");
}

const Picture& MemoryWindow::PictureNamed(const std::string& name) const {
  return Named(pictures_, name, "picture box");
}

bool MemoryWindow::RequestClose() {
  if (onClose_ && !onClose_()) {
    return false;
  }
  shown_ = false;
  return true;
}

}  // namespace sprite::winsys
