#pragma once

#include <functional>
#include <string>
#include <vector>

#include "winsys/console/console_window_system.h"

namespace sprite::fakes {

// The in-memory window system with everything a test needs to watch or steer:
// message boxes are recorded, yields are counted and may run a scripted action
// (a click, a close), and an interrupt can be raised.
class FakeWindowSystem : public winsys::ConsoleWindowSystem {
 public:
  FakeWindowSystem() : ConsoleWindowSystem(false) {}

  void MessageBox(const std::string& text) override {
    CountMessageBox();
    messages.push_back(text);
  }
  void Yield() override {
    ++yields;
    if (onYield) {
      onYield(yields);
    }
  }
  bool InterruptRequested() const override { return interrupt; }

  std::vector<std::string> messages;
  long yields = 0;
  std::function<void(long)> onYield;
  bool interrupt = false;
};

}  // namespace sprite::fakes
