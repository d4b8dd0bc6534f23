// One scripted session on the real window of a backend, read back from its
// real controls: three frames chosen together in one Add (the dialog lists
// them walk_10, walk_2, walk_1), Browse, Encode and Decode. The report is
// text that the Qt and the Win32 window must print alike.
#pragma once

#include <string>
#include <vector>

#include "app/form1.h"
#include "fakes/fake_common_dialog_calls.h"

namespace sprite::testing {

// One control as the window shows it, in its client area's pixels.
struct ControlView {
  std::string kind;  // "button", "list", "edit" or "bar"
  std::string text;  // a button's caption, an edit's text
  winsys::PixelRect rect;
  std::vector<std::string> lines;  // a list's
  long low = 0;                    // a bar's range and position
  long high = 0;
  long position = 0;
  bool focused = false;
};

struct WindowView {
  int clientWidth = 0;
  int clientHeight = 0;
  std::vector<ControlView> controls;
};

// A backend's window system whose file dialogs answer as the session scripts
// them and whose settings stay in memory.
template <typename Backend>
class ProbeWindowSystem : public Backend {
 public:
  winsys::CommonDialogCalls& DialogCalls() override { return dialogs; }
  winsys::SettingsStore& Settings() override { return settings; }

  fakes::FakeCommonDialogCalls dialogs;
  winsys::MemorySettingsStore settings;
};

// What a backend's probe does with its real window.
class WindowProbe {
 public:
  virtual ~WindowProbe() = default;
  // Clicks the button's own control.
  virtual void Press(winsys::PushButton& button) = 0;
  // Reads the window's controls.
  virtual WindowView Look() = 0;
  // Presses Tab once, as the keyboard does.
  virtual void PressTab() = 0;
};

// Runs the session in `folder` (which it fills) and returns the report: the
// window after Encode and after Decode, and the controls in the order Tab
// walks them from the one that has the focus when the window opens.
std::string RunSession(app::Form1& form, fakes::FakeCommonDialogCalls& dialogs,
                       const std::string& folder, WindowProbe& probe);

}  // namespace sprite::testing
