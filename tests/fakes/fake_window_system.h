#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_common_dialog_calls.h"
#include "fakes/fake_program_starter.h"
#include "fakes/fake_registry.h"
#include "winsys/memory/memory_window_system.h"

namespace sprite::fakes {

// The in-memory window system with everything a test needs to watch or steer:
// message boxes are recorded with their informative texts, yields are counted and may run a
// scripted action (a click, a close), an interrupt can be raised, a modal window is handed to the
// test while it is shown, and the dialogs, the registry, program starts and the settings are
// recording fakes.
class FakeWindowSystem : public winsys::MemoryWindowSystem {
 public:
  void MessageBox(const std::string& text, const std::string& informativeText = {},
                  winsys::MessageIcon icon = winsys::MessageIcon::kNone) override {
    CountMessageBox();
    messages.push_back(text);
    informativeTexts.push_back(informativeText);
    icons.push_back(icon);
    if (onMessageBox) {
      onMessageBox();
    }
  }
  void Yield() override {
    BeforeMessages();
    ++yields;
    if (onYield) {
      onYield(yields);
    }
  }
  void Refresh() override {
    BeforeMessages();
    ++refreshes;
    if (onRefresh) {
      onRefresh(refreshes);
    }
  }
  void ShowModal(winsys::Window& window) override {
    window.Show();
    if (whileShown) {
      whileShown(static_cast<winsys::MemoryWindow&>(window));
    }
    window.Close();
  }
  unsigned YieldsPerLook() const override { return yieldsPerLook; }
  bool InterruptRequested() const override { return interrupt; }
  winsys::CommonDialogCalls& DialogCalls() override { return dialogs; }
  winsys::RegistryCalls& Registry() override { return registry; }
  winsys::ProgramStarter& Programs() override { return programs; }
  winsys::SettingsStore& Settings() override { return settings; }

  std::vector<std::string> messages;
  std::vector<std::string> informativeTexts;  // one for each message, "" when none was given
  std::vector<winsys::MessageIcon> icons;     // one for each message
  long yields = 0;
  unsigned yieldsPerLook = 1;
  long refreshes = 0;
  std::function<void(long)> onYield;
  std::function<void(long)> onRefresh;
  std::function<void()> onMessageBox;
  // The user's doings in a modal window, which closes when they are done.
  std::function<void(winsys::MemoryWindow&)> whileShown;
  bool interrupt = false;
  FakeCommonDialogCalls dialogs;
  FakeRegistry registry;
  FakeProgramStarter programs;
  winsys::MemorySettingsStore settings;
};

}  // namespace sprite::fakes
