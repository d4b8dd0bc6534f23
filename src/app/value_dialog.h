// A small modal window that asks for one value the window keeps: a line of
// text, OK and Cancel, and for a file a Browse button beside the line.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "winsys/window_system.h"

namespace sprite::dialogs {
class ceCommonDialog;
}

namespace sprite::app {

class ValueDialog {
 public:
  struct Design {
    std::string caption;
    std::string prompt;          // above the line, saying what the value does
    std::string browseFilter{};  // the open dialog's filter; empty: no Browse button
  };
  // What is wrong with a text, in a sentence; empty when nothing is.
  using Check = std::function<std::string(const std::string&)>;

  ValueDialog(winsys::WindowSystem& windows, dialogs::ceCommonDialog& dialog, Design design)
      : windows_(windows), dialog_(dialog), design_(std::move(design)) {}

  // Shows the window with `value` in the line until OK (Enter) or Cancel
  // (Esc, the close box). The text confirmed, or nothing. A text `check`
  // finds wrong is said in a message box, and the window stays.
  std::optional<std::string> Ask(const std::string& value, const Check& check = {});

 private:
  winsys::WindowSystem& windows_;
  dialogs::ceCommonDialog& dialog_;
  Design design_;
};

}  // namespace sprite::app
