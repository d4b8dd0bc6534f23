#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_common_dialog_calls.h"
#include "fakes/fake_program_starter.h"
#include "fakes/fake_registry.h"
#include "winsys/console/console_window_system.h"

namespace sprite::fakes {

// The in-memory window system with everything a test needs to watch or steer:
// message boxes are recorded with their informative texts, yields are counted and may run a
// scripted action (a click, a close), an interrupt can be raised, and the dialogs, the registry and
// program starts are recording fakes.
class FakeWindowSystem : public winsys::ConsoleWindowSystem {
 public:
  FakeWindowSystem() : ConsoleWindowSystem(false) {}

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
  unsigned YieldsPerLook() const override { return yieldsPerLook; }
  bool InterruptRequested() const override { return interrupt; }
  winsys::CommonDialogCalls& DialogCalls() override { return dialogs; }
  winsys::RegistryCalls& Registry() override { return registry; }
  winsys::ProgramStarter& Programs() override { return programs; }

  std::vector<std::string> messages;
  std::vector<std::string> informativeTexts;  // one for each message, "" when none was given
  std::vector<winsys::MessageIcon> icons;     // one for each message
  long yields = 0;
  unsigned yieldsPerLook = 1;
  long refreshes = 0;
  std::function<void(long)> onYield;
  std::function<void(long)> onRefresh;
  std::function<void()> onMessageBox;
  bool interrupt = false;
  FakeCommonDialogCalls dialogs;
  FakeRegistry registry;
  FakeProgramStarter programs;
};

}  // namespace sprite::fakes
