#pragma once

#include <QtCore/QElapsedTimer>
#include <memory>
#include <string>

#include "winsys/posix/posix_program_starter.h"
#include "winsys/qt/qt_settings_store.h"
#include "winsys/window_system.h"

namespace sprite::winsys::qt {

class QtWindowCalls;
class QtCommonDialogCalls;
class StopSignals;

// The window system on Qt Widgets. A QApplication must exist before this
// object is made and outlive it. Windows are fixed-size top-level widgets laid
// out in twips converted with the screen's real dots per inch.
class QtWindowSystem : public WindowSystem {
 public:
  // Pending events are processed at most this often by Yield and Refresh:
  // 40 repaints a second look smooth and input waits at most 25 ms, while
  // the window's Decode of 5000 sprites took 5% longer with a repaint
  // every 15 ms.
  static constexpr int kYieldIntervalMs = 25;

  QtWindowSystem();
  ~QtWindowSystem() override;
  QtWindowSystem(const QtWindowSystem&) = delete;
  QtWindowSystem& operator=(const QtWindowSystem&) = delete;

  std::unique_ptr<Window> CreateWindow(const WindowSpec& design) override;
  std::unique_ptr<PictureWindow> CreatePictureWindow(const PictureWindowSpec& design) override;
  // Runs a local event loop until the window is closed or destroyed; the
  // other windows take no input meanwhile.
  void ShowModal(Window& window) override;
  // Once a stop signal came, nobody is left to answer a box: its texts go to
  // standard error instead.
  void MessageBox(const std::string& text, const std::string& informativeText = {},
                  MessageIcon icon = MessageIcon::kNone) override;
  // Cheap enough to call after every decoded element: it reads a monotonic
  // clock and returns at once unless kYieldIntervalMs have passed.
  void Yield() override;
  unsigned YieldsPerLook() const override { return kCallsPerClockRead; }
  // As Yield, but user input (mouse, keyboard, drops) that arrives meanwhile is
  // dropped; repaints and a request to close a window get through.
  void Refresh() override;
  // A stop signal came (CatchStopSignals), even one the event loop has not
  // yet heard of: a run stops at once, and its window closes with the others
  // when the event loop goes on.
  bool InterruptRequested() const override;
  AppInfo AppInformation() const override;
  WindowCalls& Calls() override;
  CommonDialogCalls& DialogCalls() override;
  RegistryCalls& Registry() override { return registry_; }
  ProgramStarter& Programs() override { return programs_; }
  SettingsStore& Settings() override { return settings_; }

  QtWindowCalls& QtCalls() { return *calls_; }
  // Runs the application's event loop until the last window has closed, and
  // returns its exit code (QApplication::exec).
  int RunEventLoop();

  // From now on SIGTERM, SIGHUP and SIGINT do what the close button of every
  // window does, dialogs first, instead of ending the process at once: a
  // running command is asked to stop and its window closes when it has, an
  // idle window closes at once, and with the last window the event loop ends.
  // InterruptRequested says so meanwhile. A signal the program was started
  // with ignored (nohup) stays ignored. The handlers stay until this object
  // is destroyed.
  void CatchStopSignals();
  // The first stop signal that came, 0 for none.
  int StopSignal() const { return stopSignal_; }

  // Twips per pixel of the primary screen: 1440 / its dots per inch.
  static double TwipsPerPixelX();
  static double TwipsPerPixelY();

 private:
  static constexpr unsigned kCallsPerClockRead = 16;  // a power of two

  // A stop signal: every window is asked to close as its close button would.
  void CloseEveryWindow(int signal);

  std::unique_ptr<QtWindowCalls> calls_;
  std::unique_ptr<QtCommonDialogCalls> dialogs_;
  EmptyRegistry registry_;
  PosixProgramStarter programs_;
  QtSettingsStore settings_;
  std::unique_ptr<StopSignals> stopSignals_;
  int stopSignal_ = 0;
  QElapsedTimer sinceYield_;
  unsigned callsSinceClock_ = kCallsPerClockRead - 1;  // the first Yield reads the clock
};

}  // namespace sprite::winsys::qt
