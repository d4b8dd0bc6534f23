#include "winsys/console/console_window_system.h"

#include <string>
#include <utility>

#include "common/error.h"
#include "winsys/interrupts.h"
#include "winsys/native_program_starter.h"

namespace sprite::winsys {
ConsoleWindowSystem::ConsoleWindowSystem(bool drawProgress, std::string diagnosticPrefix)
    : terminal_(drawProgress),
      calls_(terminal_),
      programs_(MakeNativeProgramStarter()),
      diagnosticPrefix_(std::move(diagnosticPrefix)) {}

std::unique_ptr<Window> ConsoleWindowSystem::CreateWindow(const WindowSpec& design) {
  auto window = std::make_unique<MemoryWindow>(design, nextWindow_);
  nextWindow_ += 1000;
  windows_.push_back(window.get());
  return window;
}

MemoryWindow& ConsoleWindowSystem::WindowAt(std::size_t index) {
  if (index >= windows_.size()) {
    throw InvalidArgumentError("window " + std::to_string(index) + " was never made; " +
                               std::to_string(windows_.size()) + " were");
  }
  return *windows_[index];
}

void ConsoleWindowSystem::ShowModal(Window& window) {
  // Nobody can answer a window on the console: it is shown and closed at once.
  window.Show();
  window.Close();
}

void ConsoleWindowSystem::MessageBox(const std::string& text, const std::string& informativeText) {
  CountMessageBox();
  terminal_.PrintError(diagnosticPrefix_ + text +
                       (informativeText.empty() ? "" : ": " + informativeText));
}

bool ConsoleWindowSystem::InterruptRequested() const {
  return InterruptCaught() || terminal_.OutputLost();
}

AppInfo ConsoleWindowSystem::AppInformation() const {
  return ThisApplication();
}

void ConsoleWindowSystem::InstallInterruptHandler() {
  CatchInterrupts();
}

}  // namespace sprite::winsys
