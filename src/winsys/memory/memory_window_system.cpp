#include "winsys/memory/memory_window_system.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "winsys/interrupts.h"
#include "winsys/memory/memory_picture_window.h"
#include "winsys/native_program_starter.h"

namespace sprite::winsys {
namespace {

// A window of the system's list, which it leaves when it is destroyed.
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

MemoryWindowSystem::MemoryWindowSystem() : programs_(MakeNativeProgramStarter()) {}

std::unique_ptr<Window> MemoryWindowSystem::CreateWindow(const WindowSpec& design) {
  auto window = std::make_unique<ListedWindow>(design, nextWindow_, windows_);
  nextWindow_ += 1000;
  return window;
}

std::unique_ptr<PictureWindow> MemoryWindowSystem::CreatePictureWindow(
    const PictureWindowSpec& design) {
  return std::make_unique<MemoryPictureWindow>(design);
}

MemoryWindow& MemoryWindowSystem::WindowAt(std::size_t index) {
  if (index >= windows_->size()) {
    throw InvalidArgumentError("there is no window " + std::to_string(index) + "; " +
                               std::to_string(windows_->size()) + " exist");
  }
  return *(*windows_)[index];
}

void MemoryWindowSystem::ShowModal(Window& window) {
  // Nobody can answer a window in memory: it is shown and closed at once.
  window.Show();
  window.Close();
}

void MemoryWindowSystem::MessageBox(const std::string&, const std::string&, MessageIcon) {
  CountMessageBox();
}

bool MemoryWindowSystem::InterruptRequested() const {
  return InterruptCaught();
}

AppInfo MemoryWindowSystem::AppInformation() const {
  return ThisApplication();
}

}  // namespace sprite::winsys
