#include "winsys/memory/memory_picture_window.h"

#include <algorithm>

#include "common/error.h"
#include "winsys/picture_check.h"

namespace sprite::winsys {

namespace {

constexpr std::int32_t kTwipsPerPixel = 15;

}  // namespace

MemoryPictureWindow::MemoryPictureWindow(const PictureWindowSpec& design)
    : caption_(design.caption),
      area_{std::max(design.clientWidth, 0) / kTwipsPerPixel,
            std::max(design.clientHeight, 0) / kTwipsPerPixel} {}

void MemoryPictureWindow::SetPicture(const Picture& picture) {
  CheckPictureBytes(picture);
  picture_ = picture;
}

void MemoryPictureWindow::Show() {
  shown_ = true;
  ++activations_;
}

void MemoryPictureWindow::Resize(PixelSize area) {
  area_ = area;
  if (handler_ != nullptr) {
    handler_->AreaResized(area);
  }
}

void MemoryPictureWindow::PressKey(PictureKey key) {
  if (shown_ && handler_ != nullptr) {
    handler_->KeyPressed(key);
  }
}

void MemoryPictureWindow::TurnWheel(std::int32_t notches, bool control, bool shift) {
  if (shown_ && handler_ != nullptr) {
    handler_->WheelTurned(notches, control, shift);
  }
}

void MemoryPictureWindow::RequestClose() {
  if (!shown_) {
    return;
  }
  shown_ = false;
  if (handler_ != nullptr) {
    handler_->Closed();
  }
}

void MemoryPictureWindow::Tick() {
  if (timerMs_ > 0 && handler_ != nullptr) {
    handler_->TimerTicked();
  }
}

MemoryPictureWindow& AsMemory(PictureWindow& window) {
  auto* memory = dynamic_cast<MemoryPictureWindow*>(&window);
  if (memory == nullptr) {
    throw InvalidArgumentError("the picture window belongs to another window system");
  }
  return *memory;
}

}  // namespace sprite::winsys
