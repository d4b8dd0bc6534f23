#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "winsys/window_system.h"

namespace sprite::winsys::win32 {

class Win32Window;
class Win32WindowCalls;
class Win32DialogCalls;
class Win32Registry;
class Win32ProgramStarter;
class Win32SettingsStore;

// The window system of Windows itself: real windows and controls, the system's
// progress bar class, common dialogs, message box and registry. Text is UTF-8
// here and UTF-16 at every call. Windows are laid out in twips at the dots per
// inch of the monitor they are on, and laid out again when they move to a
// monitor with others. Tab, the "&" keys of buttons, Enter and Esc work as in
// any dialog.
class Win32WindowSystem : public WindowSystem {
 public:
  // Pending messages are processed at most this often by Yield and Refresh,
  // as often as the Qt window processes its events.
  static constexpr std::chrono::milliseconds kYieldInterval{25};

  Win32WindowSystem();
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  std::unique_ptr<Window> CreateWindow(const WindowSpec& design) override;
  // A Win32PictureWindow: it does not keep the program running.
  std::unique_ptr<PictureWindow> CreatePictureWindow(const PictureWindowSpec& design) override;
  // Runs a message loop until the window is closed; the other windows take no
  // input meanwhile.
  void ShowModal(Window& window) override;
  void MessageBox(const std::string& text, const std::string& informativeText = {},
                  MessageIcon icon = MessageIcon::kNone) override;
  // Cheap enough to call after every decoded element: it reads the clock every
  // few calls and returns at once unless kYieldInterval has passed.
  void Yield() override;
  unsigned YieldsPerLook() const override { return kCallsPerClockRead; }
  // As Yield, but mouse and keyboard input that arrives meanwhile is dropped;
  // repaints and a request to close a window (its close box, Alt+F4) get through.
  void Refresh() override;
  bool InterruptRequested() const override { return false; }
  AppInfo AppInformation() const override;
  WindowCalls& Calls() override;
  CommonDialogCalls& DialogCalls() override;
  RegistryCalls& Registry() override;
  ProgramStarter& Programs() override;
  // The registry under HKEY_CURRENT_USER\Software\Sprite Encoder.
  SettingsStore& Settings() override;

  // Runs the message loop until the last window has closed; returns the exit code.
  int RunEventLoop();

  // Kept by the windows themselves: the program ends when the last one closes.
  void Opened(Win32Window& window);
  void Closed(Win32Window& window);
  void Destroyed(Win32Window& window);

 private:
  static constexpr unsigned kCallsPerClockRead = 16;  // a power of two

  void ProcessPending(bool dropInput);

  std::unique_ptr<Win32WindowCalls> calls_;
  std::unique_ptr<Win32DialogCalls> dialogs_;
  std::unique_ptr<Win32Registry> registry_;
  std::unique_ptr<Win32ProgramStarter> programs_;
  std::unique_ptr<Win32SettingsStore> settings_;
  std::vector<Win32Window*> windows_;
  std::chrono::steady_clock::time_point lastYield_{};
  unsigned callsSinceClock_ = 0;
};

}  // namespace sprite::winsys::win32
