#pragma once

#include <memory>
#include <string>
#include <vector>

#include "winsys/console/console_dialog_calls.h"
#include "winsys/console/console_terminal.h"
#include "winsys/console/console_window_calls.h"
#include "winsys/console/memory_window.h"
#include "winsys/window_system.h"

namespace sprite::winsys {

// The window system of sprite-cli: windows in memory, the log printed as it
// grows, message box text on stderr, progress on the terminal, a yield that
// returns at once, and Ctrl+C or a closed standard output as a request to stop.
class ConsoleWindowSystem : public WindowSystem {
 public:
  // A message box is one stderr line: `diagnosticPrefix`, its text, and its
  // informative text after ": ".
  explicit ConsoleWindowSystem(bool drawProgress, std::string diagnosticPrefix = {});

  std::unique_ptr<Window> CreateWindow(const WindowSpec& design) override;
  // A MemoryPictureWindow: nobody sees it on the console.
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
  // sprite-cli keeps nothing between runs.
  SettingsStore& Settings() override { return settings_; }

  ConsoleTerminal& Terminal() { return terminal_; }
  // The windows made so far that still exist, in the order they were made, to
  // be filled and clicked by the front end; InvalidArgumentError for an index
  // past the last one. A window leaves the list when it is destroyed.
  MemoryWindow& WindowAt(std::size_t index);
  int MessageBoxCount() const { return messageBoxes_; }

  // Ctrl+C and its kin (SIGTERM, SIGHUP and SIGQUIT; Ctrl+Break and a closed
  // console on Windows) set a flag that InterruptRequested reports, instead of
  // ending the process; so does a log line that cannot be written because
  // standard output was closed.
  static void InstallInterruptHandler();
  // One of those signals came.
  static bool Interrupted();

 protected:
  // Message boxes are counted here; subclasses decide where the text goes.
  void CountMessageBox() { ++messageBoxes_; }

 private:
  ConsoleTerminal terminal_;
  ConsoleWindowCalls calls_;
  ConsoleDialogCalls dialogs_;
  EmptyRegistry registry_;
  std::unique_ptr<ProgramStarter> programs_;
  MemorySettingsStore settings_;
  // Shared with the windows, which take themselves out when destroyed,
  // whichever of the two goes first.
  std::shared_ptr<std::vector<MemoryWindow*>> windows_ =
      std::make_shared<std::vector<MemoryWindow*>>();
  std::string diagnosticPrefix_;
  HWND nextWindow_ = 1000;
  int messageBoxes_ = 0;
};

}  // namespace sprite::winsys
