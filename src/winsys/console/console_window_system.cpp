#include "winsys/console/console_window_system.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "winsys/console/memory_picture_window.h"
#include "winsys/interrupts.h"
#include "winsys/native_program_starter.h"

namespace sprite::winsys {
namespace {

// A window of the console's list, which it leaves when it is destroyed.
class ListedWindow : public MemoryWindow {
 public:
  ListedWindow(const WindowSpec& design, HWND handle,
               const std::shared_ptr<std::vector<MemoryWindow*>>& list)
      : MemoryWindow(design, handle), list_(list) {
    list->push_back(this);
  }
  ~ListedWindow() override {
    if (const auto list = list_.lock()) {
      std::erase(*list, this);
    }
  }
  ListedWindow(const ListedWindow&) = delete;
  ListedWindow& operator=(const ListedWindow&) = delete;

 private:
  std::weak_ptr<std::vector<MemoryWindow*>> list_;
};

}  // namespace

ConsoleWindowSystem::ConsoleWindowSystem(bool drawProgress, std::string diagnosticPrefix)
    : terminal_(drawProgress),
      calls_(terminal_),
      programs_(MakeNativeProgramStarter()),
      diagnosticPrefix_(std::move(diagnosticPrefix)) {}

std::unique_ptr<Window> ConsoleWindowSystem::CreateWindow(const WindowSpec& design) {
  auto window = std::make_unique<ListedWindow>(design, nextWindow_, windows_);
  nextWindow_ += 1000;
  return window;
}

std::unique_ptr<PictureWindow> ConsoleWindowSystem::CreatePictureWindow(
    const PictureWindowSpec& design) {
  return std::make_unique<MemoryPictureWindow>(design);
}

MemoryWindow& ConsoleWindowSystem::WindowAt(std::size_t index) {
  if (index >= windows_->size()) {
    throw InvalidArgumentError("there is no window " + std::to_string(index) + "; " +
                               std::to_string(windows_->size()) + " exist");
  }
  return *(*windows_)[index];
}

void ConsoleWindowSystem::ShowModal(Window& window) {
  // Nobody can answer a window on the console: it is shown and closed at once.
  window.Show();
  window.Close();
}

void ConsoleWindowSystem::MessageBox(const std::string& text, const std::string& informativeText,
                                     MessageIcon) {
  CountMessageBox();
  terminal_.PrintError(diagnosticPrefix_ + text +
                       (informativeText.empty() ? "" : ": " + informativeText));
}

bool ConsoleWindowSystem::InterruptRequested() const {
  return Interrupted() || terminal_.OutputLost();
}

bool ConsoleWindowSystem::Interrupted() {
  return InterruptCaught();
}

AppInfo ConsoleWindowSystem::AppInformation() const {
  return ThisApplication();
}

void ConsoleWindowSystem::InstallInterruptHandler() {
  CatchInterrupts();
}

}  // namespace sprite::winsys
