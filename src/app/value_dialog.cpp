#include "app/value_dialog.h"

#include <memory>

#include "dialogs/ce_common_dialog.h"

namespace sprite::app {
namespace {

using winsys::TwipsRect;

constexpr TwipsRect kPrompt{105, 105, 4830, 645};
constexpr TwipsRect kLine{105, 855, 4830, 330};
constexpr TwipsRect kLineBesideBrowse{105, 855, 3555, 330};
constexpr TwipsRect kBrowse{3765, 855, 1170, 330};
constexpr TwipsRect kOK{2490, 1335, 1170, 345};
constexpr TwipsRect kCancel{3765, 1335, 1170, 345};

winsys::WindowSpec DialogSpec(const std::string& caption) {
  winsys::WindowSpec design;
  design.caption = caption;
  design.clientWidth = 5040;
  design.clientHeight = 1785;
  design.font = winsys::FontSpec{"Tahoma", 8.25, 400, 238};
  design.showInTaskbar = false;
  return design;
}

}  // namespace

std::optional<std::string> ValueDialog::Ask(const std::string& value, const Check& check) {
  const std::unique_ptr<winsys::Window> window = windows_.CreateWindow(DialogSpec(design_.caption));
  const bool browses = !design_.browseFilter.empty();
  // Made in tab order: the line has the focus.
  winsys::TextBox& line =
      window->AddTextBox({"txtValue", browses ? kLineBesideBrowse : kLine}, value);
  winsys::PushButton* browse =
      browses ? &window->AddButton({"cmdBrowse", kBrowse}, "&Browse…") : nullptr;
  winsys::PushButton& ok = window->AddButton({"cmdOK", kOK}, "OK");
  winsys::PushButton& cancel = window->AddButton({"cmdCancel", kCancel}, "Cancel");
  window->AddLabel({"lblPrompt", kPrompt}, design_.prompt);
  ok.SetDefault(true);
  cancel.SetCancel(true);

  std::optional<std::string> chosen;
  ok.SetOnClick([&] {
    const std::string text = line.Text();
    if (const std::string wrong = check ? check(text) : ""; !wrong.empty()) {
      windows_.MessageBox(wrong, {}, winsys::MessageIcon::kWarning);
      return;
    }
    chosen = text;
    window->Close();
  });
  cancel.SetOnClick([&] { window->Close(); });
  if (browse != nullptr) {
    browse->SetOnClick([&] {
      dialogs::OpenFileArgs args{.Filename = "",
                                 .FileMustExist = true,
                                 .Filter = design_.browseFilter,
                                 .FilterIndex = 1,
                                 .Owner = window->hWnd()};
      dialog_.VBGetOpenFileName(args);
      if (!args.Filename.empty()) {
        line.SetText(args.Filename.substr(0, args.Filename.find('\0')));
      }
    });
  }
  windows_.ShowModal(*window);
  return chosen;
}

}  // namespace sprite::app
