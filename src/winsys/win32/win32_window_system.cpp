#include "winsys/win32/win32_window_system.h"

#include <algorithm>

#include "common/error.h"
#include "winsys/win32/win32_dialog_calls.h"
#include "winsys/win32/win32_picture_window.h"
#include "winsys/win32/win32_program_starter.h"
#include "winsys/win32/win32_registry.h"
#include "winsys/win32/win32_settings_store.h"
#include "winsys/win32/win32_window.h"
#include "winsys/win32/win32_window_calls.h"
#include "winsys/win32/win32_windows.h"

namespace sprite::winsys::win32 {
namespace {

// The menu items' shortcut keys, then keyboard navigation as in a dialog
// (Tab, the "&" keys, Enter, Esc) for the windows of this backend; everything
// else as usual.
void Dispatch(MSG& message) {
  ::HWND root = message.hwnd == nullptr ? nullptr : ::GetAncestor(message.hwnd, GA_ROOT);
  if (const Win32Window* window = root != nullptr ? Win32Window::Of(root) : nullptr) {
    ::HACCEL keys = window->Accelerators();
    if ((keys != nullptr && ::TranslateAcceleratorW(root, keys, &message) != 0) ||
        ::IsDialogMessageW(root, &message) != 0) {
      return;
    }
  }
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

// Input a run that takes no clicks drops: the mouse in client areas, keys and
// drops. Alt+F4 gets through, as the close box does.
bool IsUserInput(const MSG& message) {
  if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) {
    return false;
  }
  return (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) ||
         (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) ||
         message.message == WM_DROPFILES;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem()
    : calls_(std::make_unique<Win32WindowCalls>()),
      dialogs_(std::make_unique<Win32DialogCalls>()),
      registry_(std::make_unique<Win32Registry>()),
      programs_(std::make_unique<Win32ProgramStarter>()),
      settings_(std::make_unique<Win32SettingsStore>()) {
  INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                               ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&classes);
  Win32Window::RegisterClasses();
}

Win32WindowSystem::~Win32WindowSystem() = default;

std::unique_ptr<Window> Win32WindowSystem::CreateWindow(const WindowSpec& design) {
  return std::make_unique<Win32Window>(design, *this);
}

std::unique_ptr<PictureWindow> Win32WindowSystem::CreatePictureWindow(
    const PictureWindowSpec& design) {
  return std::make_unique<Win32PictureWindow>(design);
}

void Win32WindowSystem::Opened(Win32Window& window) {
  if (std::find(windows_.begin(), windows_.end(), &window) == windows_.end()) {
    windows_.push_back(&window);
  }
}

void Win32WindowSystem::Closed(Win32Window&) {
  const bool anyOpen = std::any_of(windows_.begin(), windows_.end(),
                                   [](const Win32Window* open) { return open->Visible(); });
  if (!anyOpen) {
    ::PostQuitMessage(0);
  }
}

void Win32WindowSystem::Destroyed(Win32Window& window) {
  std::erase(windows_, &window);
}

void Win32WindowSystem::ShowModal(Window& window) {
  auto* modal = dynamic_cast<Win32Window*>(&window);
  if (modal == nullptr) {
    throw InvalidArgumentError("ShowModal: the window belongs to another window system");
  }
  std::vector<::HWND> disabled;
  for (const Win32Window* other : windows_) {
    if (other != modal && other->Visible() && ::IsWindowEnabled(other->System()) != 0) {
      ::EnableWindow(other->System(), FALSE);
      disabled.push_back(other->System());
    }
  }
  modal->Show();
  MSG message{};
  while (modal->Visible()) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
      break;
    }
    if (got < 0) {
      break;
    }
    Dispatch(message);
  }
  for (::HWND other : disabled) {
    ::EnableWindow(other, TRUE);
  }
  if (!disabled.empty()) {
    ::SetForegroundWindow(disabled.front());
  }
}

void Win32WindowSystem::MessageBox(const std::string& text, const std::string& informativeText,
                                   MessageIcon icon) {
  std::string shown = text;
  if (!informativeText.empty()) {
    shown += "\n\n" + informativeText;
  }
  ::HWND owner = ::GetActiveWindow();
  UINT style = MB_OK;
  switch (icon) {
    case MessageIcon::kInformation:
      style |= MB_ICONINFORMATION;
      break;
    case MessageIcon::kWarning:
      style |= MB_ICONWARNING;
      break;
    case MessageIcon::kError:
      style |= MB_ICONERROR;
      break;
    case MessageIcon::kNone:
      break;
  }
  ::MessageBoxW(owner, Wide(shown).c_str(), Wide(AppInformation().title).c_str(), style);
}

void Win32WindowSystem::ProcessPending(bool dropInput) {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (dropInput && IsUserInput(message)) {
      if (message.message == WM_DROPFILES) {
        ::DragFinish(reinterpret_cast<HDROP>(message.wParam));
      }
      continue;
    }
    Dispatch(message);
  }
}

void Win32WindowSystem::Yield() {
  // Reading the clock costs more than the rest of a skipped yield, so it is
  // read only every few calls; calls come microseconds apart while decoding.
  if ((++callsSinceClock_ & (kCallsPerClockRead - 1)) != 0) {
    return;
  }
  const auto now = std::chrono::steady_clock::now();
  if (now - lastYield_ < kYieldInterval) {
    return;
  }
  lastYield_ = now;
  BeforeMessages();
  ProcessPending(false);
}

void Win32WindowSystem::Refresh() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastYield_ < kYieldInterval) {
    return;
  }
  lastYield_ = now;
  BeforeMessages();
  ProcessPending(true);
}

AppInfo Win32WindowSystem::AppInformation() const {
  return ThisApplication();
}

WindowCalls& Win32WindowSystem::Calls() {
  return *calls_;
}

CommonDialogCalls& Win32WindowSystem::DialogCalls() {
  return *dialogs_;
}

RegistryCalls& Win32WindowSystem::Registry() {
  return *registry_;
}

ProgramStarter& Win32WindowSystem::Programs() {
  return *programs_;
}

SettingsStore& Win32WindowSystem::Settings() {
  return *settings_;
}

int Win32WindowSystem::RunEventLoop() {
  MSG message{};
  BOOL got = 0;
  while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
    Dispatch(message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

}  // namespace sprite::winsys::win32
