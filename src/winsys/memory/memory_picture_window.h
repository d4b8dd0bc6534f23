#pragma once

#include <string>

#include "winsys/window_system.h"

namespace sprite::winsys {

// A picture window in memory: keeps what it was last handed, and lets a test
// do what a user does with it (resize it, press keys, turn the wheel, close
// it). Its picture area is the whole client area, at 15 twips a pixel.
class MemoryPictureWindow : public PictureWindow {
 public:
  explicit MemoryPictureWindow(const PictureWindowSpec& design);

  void SetHandler(PictureWindowHandler* handler) override { handler_ = handler; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetPicture(const Picture& picture) override;
  void SetText(const std::string& text) override { text_ = text; }
  PixelSize AreaSize() const override { return area_; }
  void Show() override;
  void Close() override { shown_ = false; }
  bool Visible() const override { return shown_; }
  void SetTimer(std::int32_t intervalMs) override { timerMs_ = intervalMs; }

  // What the user does.
  void Resize(PixelSize area);
  void PressKey(PictureKey key);
  void TurnWheel(std::int32_t notches, bool control = false, bool shift = false);
  // The close button: the window hides and tells its handler.
  void RequestClose();
  // The timer's interval passing, when one is set.
  void Tick();

  const std::string& Caption() const { return caption_; }
  const std::string& Text() const { return text_; }
  const Picture& Shown() const { return picture_; }
  // Show calls, each of which brings the window to the front with the keyboard.
  int Activations() const { return activations_; }
  // The timer's interval; 0 when none is set.
  std::int32_t TimerMs() const { return timerMs_; }

 private:
  PictureWindowHandler* handler_ = nullptr;
  std::string caption_;
  std::string text_;
  Picture picture_;
  PixelSize area_;
  bool shown_ = false;
  int activations_ = 0;
  std::int32_t timerMs_ = 0;
};

// The memory window behind a picture window that a memory window system made,
// for a test. InvalidArgumentError for a window of another backend.
MemoryPictureWindow& AsMemory(PictureWindow& window);

}  // namespace sprite::winsys
