// The window probe on Win32: the session of app/window_probe.h on the real
// window of the Win32 backend, with scripted file dialogs, read back with the
// system's own calls (child windows, their rectangles, list box lines, the
// bars' range and position) and walked with real Tab presses. Prints the
// report on standard output; scripts/window-probe.sh compares it with what the
// Qt window shows, at 96 and at 192 dots per inch.
#include "winsys/win32/win32_windows.h"

#include <cstdio>

#include "app/test_files.h"
#include "app/window_probe.h"
#include "files/native_file_system.h"
#include "winsys/win32/win32_controls.h"
#include "winsys/win32/win32_window_system.h"

namespace sprite::testing {
namespace {

using ScriptedWindows = ProbeWindowSystem<winsys::win32::Win32WindowSystem>;

std::string ClassOf(::HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return Narrow(name);
}

std::string TextOf(::HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Narrow(text);
}

class Win32Probe : public WindowProbe {
 public:
  Win32Probe(ScriptedWindows& windows, app::Form1& form)
      : windows_(windows), window_(winsys::win32::SystemWindow(form.Window().hWnd())) {}

  // Lets the window take its messages, through the backend's own loop.
  void Pump() {
    for (int round = 0; round < 3; ++round) {
      ::Sleep(30);
      for (int call = 0; call < 16; ++call) {
        windows_.Yield();
      }
    }
  }
  void Press(winsys::PushButton& button) override {
    ::SendMessageW(dynamic_cast<winsys::win32::Win32PushButton&>(button).System(), BM_CLICK, 0, 0);
    Pump();
  }
  void PressTab() override {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_TAB;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
    Pump();
  }
  WindowView Look() override {
    ::RECT client{};
    ::GetClientRect(window_, &client);
    WindowView view{client.right, client.bottom, {}};
    for (::HWND child = ::GetWindow(window_, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      view.controls.push_back(Read(child));
    }
    return view;
  }

 private:
  ControlView Read(::HWND child) const {
    ControlView control;
    const std::string name = ClassOf(child);
    ::HWND shown = child;
    if (name == "Button") {
      control.kind = "button";
      control.text = TextOf(child);
    } else if (name == "ListBox") {
      control.kind = "list";
      const LRESULT count = ::SendMessageW(child, LB_GETCOUNT, 0, 0);
      for (LRESULT i = 0; i < count; ++i) {
        std::wstring line(static_cast<std::size_t>(
                              ::SendMessageW(child, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) +
                              1,
                          L'\0');
        line.resize(static_cast<std::size_t>(::SendMessageW(
            child, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()))));
        control.lines.push_back(Narrow(line));
      }
    } else if (name == "Edit") {
      control.kind = "edit";
      control.text = TextOf(child);
    } else {
      // A control host: its bar, the system's progress bar.
      shown = ::GetWindow(child, GW_CHILD);
      control.kind = ClassOf(shown) == "msctls_progress32" ? "bar" : name;
      control.low = static_cast<long>(::SendMessageW(shown, winsys::PBM_GETRANGE, TRUE, 0));
      control.high = static_cast<long>(::SendMessageW(shown, winsys::PBM_GETRANGE, FALSE, 0));
      control.position = static_cast<long>(::SendMessageW(shown, winsys::PBM_GETPOS, 0, 0));
    }
    ::RECT at{};
    ::GetWindowRect(shown, &at);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<::POINT*>(&at), 2);
    control.rect = {at.left, at.top, at.right - at.left, at.bottom - at.top};
    control.focused = ::GetFocus() == child;
    return control;
  }

  ScriptedWindows& windows_;
  ::HWND window_;
};

}  // namespace
}  // namespace sprite::testing

int wmain() {
  using namespace sprite;
  testing::TempFolder folder;
  const auto files = files::MakeNativeFileSystem();
  testing::ScriptedWindows windows;
  app::Form1 form(windows, *files);
  form.Show();
  testing::Win32Probe probe(windows, form);
  probe.Pump();
  const std::string report =
      testing::RunSession(form, windows.dialogs, Utf8FromPath(folder.Root()), probe);
  std::fputs(report.c_str(), stdout);
  return 0;
}
