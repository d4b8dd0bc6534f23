#include "app/window_probe.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <sstream>

#include "app/test_files.h"

namespace sprite::testing {
namespace {

const char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// Paths as both systems can print them: the session's folder and "/".
std::string Portable(std::string text, const std::string& folder) {
  for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at)) {
    text.replace(at, folder.size(), "FOLDER");
  }
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

// Controls from the top left down, whatever order a backend lists them in.
void SortByPlace(WindowView& view) {
  std::stable_sort(view.controls.begin(), view.controls.end(),
                   [](const ControlView& a, const ControlView& b) {
                     return std::pair(a.rect.top, a.rect.left) < std::pair(b.rect.top, b.rect.left);
                   });
}

void Print(std::ostream& out, const WindowView& view, const std::string& folder) {
  out << "client " << view.clientWidth << " x " << view.clientHeight << "\n";
  for (std::size_t i = 0; i < view.controls.size(); ++i) {
    const ControlView& c = view.controls[i];
    out << i << " " << c.kind << " at " << c.rect.left << "," << c.rect.top << " " << c.rect.width
        << " x " << c.rect.height;
    if (!c.text.empty()) {
      out << " \"" << Portable(c.text, folder) << "\"";
    }
    if (c.kind == "bar") {
      out << " range " << c.low << ".." << c.high << " at " << c.position;
    }
    out << "\n";
    for (const std::string& line : c.lines) {
      out << "    " << Portable(line, folder) << "\n";
    }
  }
}

}  // namespace

std::string RunSession(app::Form1& form, fakes::FakeCommonDialogCalls& dialogs,
                       const std::string& folder, WindowProbe& probe) {
  std::mt19937 random(32);
  for (int n : {1, 2, 10}) {
    WriteFile(folder + kSeparator + "walk_" + std::to_string(n) + ".bmp",
              BuildBitmap({.width = 8 + n,
                           .height = 5,
                           .palette = TestPalette(1),
                           .pixelArea = SpritePixelArea(random, 8 + n, 5)}));
  }
  const std::string selection =
      folder + '\0' + "walk_10.bmp" + '\0' + "walk_2.bmp" + '\0' + "walk_1.bmp" + '\0' + '\0';
  dialogs.answers = {
      fakes::FakeCommonDialogCalls::Confirm(selection),
      fakes::FakeCommonDialogCalls::Confirm(folder + kSeparator + "walk.spr" + '\0')};
  const app::Form1Controls controls = form.Controls();
  std::ostringstream out;
  probe.Press(controls.Command1);
  probe.Press(controls.Command2);
  probe.Press(controls.Command3);
  WindowView view = probe.Look();
  SortByPlace(view);
  out << "After Encode\n";
  Print(out, view, folder);
  probe.Press(controls.Command4);
  view = probe.Look();
  SortByPlace(view);
  out << "After Decode\n";
  Print(out, view, folder);

  // Tab from the first control, once round the window and back to it.
  form.Show();
  out << "Tab:";
  for (std::size_t press = 0; press <= 9; ++press) {
    const WindowView now = probe.Look();
    WindowView sorted = now;
    SortByPlace(sorted);
    const auto focused = std::find_if(sorted.controls.begin(), sorted.controls.end(),
                                      [](const ControlView& c) { return c.focused; });
    out << " " << (focused == sorted.controls.end() ? -1 : focused - sorted.controls.begin());
    probe.PressTab();
  }
  out << "\n";
  return out.str();
}

}  // namespace sprite::testing
