#pragma once

#include <memory>
#include <string>
#include <vector>

#include "winsys/memory/memory_dialog_calls.h"
#include "winsys/memory/memory_window.h"
#include "winsys/memory/memory_window_calls.h"
#include "winsys/window_system.h"

namespace sprite::winsys {

// A window system whose windows and controls live in memory, for the tests'
// recording fakes to build on: nobody sees a window or answers a dialog or a
// message box (each is counted), a yield returns at once, and Ctrl+C and its
// kin, once the program catches them, are a request to stop.
class MemoryWindowSystem : public WindowSystem {
 public:
  MemoryWindowSystem();

  std::unique_ptr<Window> CreateWindow(const WindowSpec& design) override;
  // A MemoryPictureWindow.
  std::unique_ptr<PictureWindow> CreatePictureWindow(const PictureWindowSpec& design) override;
  void ShowModal(Window& window) override;
  void MessageBox(const std::string& text, const std::string& informativeText = {},
                  MessageIcon icon = MessageIcon::kNone) override;
  void Yield() override {}
  bool InterruptRequested() const override;
  AppInfo AppInformation() const override;
  WindowCalls& Calls() override { return calls_; }
  CommonDialogCalls& DialogCalls() override { return dialogs_; }
  RegistryCalls& Registry() override { return registry_; }
  ProgramStarter& Programs() override { return *programs_; }
  // Nothing is kept between runs.
  SettingsStore& Settings() override { return settings_; }

  // The windows made so far that still exist, in the order they were made, to
  // be filled and clicked by a test; InvalidArgumentError for an index
  // past the last one. A window leaves the list when it is destroyed.
  MemoryWindow& WindowAt(std::size_t index);
  int MessageBoxCount() const { return messageBoxes_; }

 protected:
  // Message boxes are counted here; subclasses may keep their texts too.
  void CountMessageBox() { ++messageBoxes_; }

 private:
  MemoryWindowCalls calls_;
  MemoryDialogCalls dialogs_;
  EmptyRegistry registry_;
  std::unique_ptr<ProgramStarter> programs_;
  MemorySettingsStore settings_;
  // Shared with the windows, which take themselves out when destroyed,
  // whichever of the two goes first.
  std::shared_ptr<std::vector<MemoryWindow*>> windows_ =
      std::make_shared<std::vector<MemoryWindow*>>();
  HWND nextWindow_ = 1000;
  int messageBoxes_ = 0;
};

}  // namespace sprite::winsys
