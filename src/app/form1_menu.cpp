// The menu bar: the buttons' commands, the file list's order and the Options,
// which are kept between runs.
#include "app/form1.h"
#include "app/value_dialog.h"
#include "dialogs/ce_common_dialog.h"

namespace sprite::app {
namespace {

constexpr winsys::Shortcut kAltUp{winsys::VK_UP, true};
constexpr winsys::Shortcut kAltDown{winsys::VK_DOWN, true};
// Every file a target palette can be read from, as encode --palette reads it.
constexpr char kPaletteFilter[] =
    "Palettes and archives (*.gpl;*.pal;*.png;*.bmp;*.spr)|*.gpl;*.pal;*.png;*.bmp;*.spr|"
    "All files (*.*)|*.*";

// The Options menu's dithering items, in order.
constexpr std::pair<colour::Dither, const char*> kDitherItems[] = {
    {colour::Dither::kNone, "&No dithering"},
    {colour::Dither::kFloydSteinberg, "&Floyd–Steinberg dithering"},
    {colour::Dither::kOrdered, "&Ordered dithering"},
};
constexpr char kGivenOrChosen[] =
    "A palette is either given (Target palette) or chosen (Colours), not both: empty the "
    "other one first.";

winsys::MenuItem& Item(winsys::Menu& menu, const std::string& caption,
                       std::function<void()> handler, winsys::Shortcut shortcut = {},
                       bool checkable = false) {
  winsys::MenuItem& item = menu.AddItem({caption, shortcut, checkable});
  item.SetOnChoose(std::move(handler));
  return item;
}

}  // namespace

void Form1::CreateMenus() {
  // A run lets the window process messages, and on Windows a click on the
  // menu bar gets through: a command chosen meanwhile does nothing, as a
  // disabled button would. Exit stops the run, as the close box does.
  const auto idle = [this](void (Form1::*command)()) {
    return [this, command] {
      if (!running_) {
        (this->*command)();
      }
    };
  };
  winsys::Menu& file = window_->AddMenu("&File");
  commandItems_ = {
      &Item(file, "&Add…", idle(&Form1::Command1_Click)),
      &Item(file, "&Browse…", idle(&Form1::Command2_Click)),
      &Item(file, "&Encode", idle(&Form1::Command3_Click)),
      &Item(file, "&Decode", idle(&Form1::Command4_Click)),
      &Item(file, "&View Archive", idle(&Form1::mnuViewArchive_Click)),
  };
  file.AddSeparator();
  Item(file, "E&xit", [this] {
    if (Form_QueryUnload()) {
      window_->Close();
    }
  });

  winsys::Menu& list = window_->AddMenu("&List");
  mnuMoveUp_ = &Item(list, "Move &Up", idle(&Form1::mnuMoveUp_Click), kAltUp);
  mnuMoveDown_ = &Item(list, "Move &Down", idle(&Form1::mnuMoveDown_Click), kAltDown);
  mnuSortByName_ = &Item(list, "&Sort by Name", idle(&Form1::mnuSortByName_Click));
  list.AddSeparator();
  mnuClear_ = &Item(list, "&Clear", idle(&Form1::mnuClear_Click));

  winsys::Menu& optionsMenu = window_->AddMenu("&Options");
  // Its mark changes with the choice; a run has taken its options already.
  mnuDecodePng_ = &Item(
      optionsMenu, "Decode to &PNG pictures", [this] { mnuDecodePng_Click(); }, {}, true);
  mnuDecodePng_->SetChecked(options_.decodeToPng);
  optionsMenu.AddSeparator();
  // Checked while they hold a value, which Encode uses: they are kept between
  // runs. Chosen during a run, they keep their value and their mark.
  const auto valued = [this](void (Form1::*command)()) {
    return [this, command] {
      if (running_) {
        ShowValueMarks();
      } else {
        (this->*command)();
      }
    };
  };
  mnuTargetPalette_ =
      &Item(optionsMenu, "&Target palette…", valued(&Form1::mnuTargetPalette_Click), {}, true);
  mnuAlphaThreshold_ =
      &Item(optionsMenu, "&Alpha threshold…", valued(&Form1::mnuAlphaThreshold_Click), {}, true);
  optionsMenu.AddSeparator();
  // Radio-like: the one checked is the dithering Encode uses.
  for (const auto& [dither, caption] : kDitherItems) {
    const colour::Dither chosen = dither;
    mnuDither_.push_back(&Item(
        optionsMenu, caption, [this, chosen] { mnuDither_Click(chosen); }, {}, true));
  }
  ShowDither();
  mnuColours_ = &Item(optionsMenu, "&Colours…", valued(&Form1::mnuColours_Click), {}, true);
  ShowValueMarks();

  winsys::Menu& help = window_->AddMenu("&Help");
  commandItems_.push_back(&Item(help, "&About", idle(&Form1::cmdAbout_Click)));
  for (winsys::MenuItem* item : {mnuMoveUp_, mnuMoveDown_, mnuSortByName_, mnuClear_, mnuDecodePng_,
                                 mnuTargetPalette_, mnuAlphaThreshold_, mnuColours_}) {
    commandItems_.push_back(item);
  }
  commandItems_.insert(commandItems_.end(), mnuDither_.begin(), mnuDither_.end());
}

Form1Menu Form1::MenuItems() {
  return {*mnuMoveUp_,    *mnuMoveDown_,      *mnuSortByName_,     *mnuClear_,
          *mnuDecodePng_, *mnuTargetPalette_, *mnuAlphaThreshold_, *mnuDither_[0],
          *mnuDither_[1], *mnuDither_[2],     *mnuColours_};
}

void Form1::SaveOptions() {
  options_.Save(windows_.Settings());
}

void Form1::ShowValueMarks() {
  // Choosing a checkable item turns its mark over; the mark says the value.
  mnuTargetPalette_->SetChecked(!options_.targetPalette.empty());
  mnuAlphaThreshold_->SetChecked(options_.alphaThreshold.has_value());
  mnuColours_->SetChecked(options_.colours != 0);
}

void Form1::mnuDecodePng_Click() {
  options_.decodeToPng = mnuDecodePng_->Checked();
  SaveOptions();
}

void Form1::mnuTargetPalette_Click() {
  ValueDialog dialog(windows_, CommonDialog(),
                     {.caption = "Target palette",
                      .prompt = "Encode stores PNG pictures with the colours of this palette "
                                "file or sprite archive, the nearest where there is no exact "
                                "one. Empty: with their own palette.",
                      .browseFilter = kPaletteFilter});
  const auto check = [this](const std::string& text) -> std::string {
    const bool blank = text.find_first_not_of(' ') == std::string::npos;
    return blank || options_.colours == 0 ? "" : kGivenOrChosen;
  };
  if (const auto chosen = dialog.Ask(options_.targetPalette, check)) {
    // The palette is kept between runs: a name typed from this run's current
    // folder is kept as the file it names now, not looked for in the folder
    // a later run starts in. A blank line is no palette.
    const bool blank = chosen->find_first_not_of(' ') == std::string::npos;
    options_.targetPalette = blank ? "" : files_.FullPath(*chosen);
    SaveOptions();
  }
  ShowValueMarks();
}

void Form1::mnuAlphaThreshold_Click() {
  ValueDialog dialog(windows_, CommonDialog(),
                     {.caption = "Alpha threshold",
                      .prompt = "Encode counts a PNG pixel of alpha below this (1 to 255) as "
                                "see-through, and the others as opaque. Empty: a partly "
                                "see-through pixel is refused."});
  const auto check = [](const std::string& text) -> std::string {
    const bool blank = text.find_first_not_of(' ') == std::string::npos;
    return blank || ParseAlphaThreshold(text) ? ""
                                              : "The alpha threshold is a whole number from 1 to "
                                                "255, or empty for none.";
  };
  const std::string shown = options_.alphaThreshold ? std::to_string(*options_.alphaThreshold) : "";
  if (const auto chosen = dialog.Ask(shown, check)) {
    options_.alphaThreshold = ParseAlphaThreshold(*chosen);
    SaveOptions();
  }
  ShowValueMarks();
}

void Form1::mnuDither_Click(colour::Dither dither) {
  options_.dither = dither;
  ShowDither();
  SaveOptions();
}

void Form1::ShowDither() {
  for (std::size_t i = 0; i < mnuDither_.size(); ++i) {
    mnuDither_[i]->SetChecked(kDitherItems[i].first == options_.dither);
  }
}

void Form1::mnuColours_Click() {
  ValueDialog dialog(windows_, CommonDialog(),
                     {.caption = "Colours",
                      .prompt = "Encode chooses a palette of at most this many colours (1 to "
                                "255) from all the PNG pictures, and stores them with it. Empty "
                                "or 0: the target palette, or the pictures' own."});
  const auto check = [this](const std::string& text) -> std::string {
    const auto count = ParseColourCount(text);
    if (!count) {
      return "The colours are a whole number from 0 to 255, or empty for none.";
    }
    return *count == 0 || options_.targetPalette.empty() ? "" : kGivenOrChosen;
  };
  if (const auto chosen =
          dialog.Ask(options_.colours ? std::to_string(options_.colours) : "", check)) {
    options_.colours = *ParseColourCount(*chosen);
    SaveOptions();
  }
  ShowValueMarks();
}

}  // namespace sprite::app
