// Opens one of the colour, font, print and page-setup dialogs through
// ceCommonDialog on the Qt backend, from arguments given on the command line,
// and prints every argument as the operation leaves it.
//
//   dialog-tryout colour    [--color=HEX] [--solid] [--full-open] [--no-full-open]
//                           [--custom=HEX,HEX,...]
//   dialog-tryout font      [--name=NAME] [--size=POINTS] [--weight=N] [--italic]
//                           [--underline] [--strikethrough] [--color=HEX]
//                           [--min=POINTS] [--max=POINTS] [--flags=N] [--printer-dc=N]
//   dialog-tryout print     [--range=0|1|2] [--from=N] [--to=N] [--show-print-to-file]
//                           [--enable-print-to-file] [--print-to-file] [--collate]
//                           [--no-page-numbers] [--no-selection] [--flags=N]
//   dialog-tryout pagesetup [--mm] [--whole] [--left=M] [--top=M] [--right=M] [--bottom=M]
//                           [--no-margins] [--no-orientation] [--no-paper] [--no-printer]
//
// Page setup takes margins in inches (millimetres with --mm) through
// VBPageSetupDlg2, or rounded to whole numbers through VBPageSetupDlg (--whole).
// Colours are RGB values with red in the low byte (0x0000FF is red); numbers
// may be written in hex with 0x. Exit status: 0 confirmed, 1 cancelled or
// failed, 2 for a usage error.
#include <QtWidgets/QApplication>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "dialogs/ce_common_dialog.h"
#include "dialogs/stored_font.h"
#include "winsys/qt/qt_dialog_host.h"
#include "winsys/qt/qt_window_calls.h"

namespace {

using namespace sprite;
using namespace sprite::dialogs;

constexpr int kUsageError = 2;

// Every option as --name or --name=value; each name may be given once.
class Options {
 public:
  Options(int argc, char** argv, int first) {
    for (int i = first; i < argc; ++i) {
      const std::string_view arg = argv[i];
      if (!arg.starts_with("--")) {
        throw InvalidArgumentError("unexpected argument '" + std::string(arg) + "'");
      }
      const std::size_t equals = arg.find('=');
      const std::string name(
          arg.substr(2, equals == std::string_view::npos ? arg.npos : equals - 2));
      values_[name] = equals == std::string_view::npos ? "" : std::string(arg.substr(equals + 1));
    }
  }

  bool Flag(const std::string& name) { return Take(name).has_value(); }
  std::string Text(const std::string& name, const std::string& fallback) {
    return Take(name).value_or(fallback);
  }
  long long Number(const std::string& name, long long fallback) {
    const std::optional<std::string> text = Take(name);
    return text ? ToNumber(name, *text) : fallback;
  }
  double Decimal(const std::string& name, double fallback) {
    const std::optional<std::string> text = Take(name);
    if (!text) {
      return fallback;
    }
    std::size_t used = 0;
    try {
      const double value = std::stod(*text, &used);
      if (used == text->size()) {
        return value;
      }
    } catch (const std::logic_error&) {
    }
    throw InvalidArgumentError("--" + name + " takes a number, not '" + *text + "'");
  }
  std::vector<long long> Numbers(const std::string& name) {
    std::vector<long long> numbers;
    std::istringstream list(Take(name).value_or(""));
    for (std::string item; std::getline(list, item, ',');) {
      numbers.push_back(ToNumber(name, item));
    }
    return numbers;
  }
  // Fails for any option no one asked for.
  void Finish() const {
    if (!values_.empty()) {
      throw InvalidArgumentError("unknown option --" + values_.begin()->first);
    }
  }

 private:
  std::optional<std::string> Take(const std::string& name) {
    const auto found = values_.find(name);
    if (found == values_.end()) {
      return std::nullopt;
    }
    std::string value = found->second;
    values_.erase(found);
    return value;
  }
  static long long ToNumber(const std::string& name, const std::string& text) {
    std::size_t used = 0;
    try {
      const long long value = std::stoll(text, &used, 0);
      if (used == text.size()) {
        return value;
      }
    } catch (const std::logic_error&) {
    }
    throw InvalidArgumentError("--" + name + " takes a whole number, not '" + text + "'");
  }

  std::map<std::string, std::string> values_;
};

// Prints the settings a print or page-setup dialog hands over.
class ShownPrinter : public PrinterObject {
 public:
  void SetProperty(const std::string& name, std::int16_t value) override {
    std::cout << "Printer." << name << " = " << value << '\n';
  }
};

std::string Hex(std::int32_t value) {
  std::ostringstream text;
  text << "0x" << std::hex << std::uppercase << std::setw(6) << std::setfill('0')
       << static_cast<std::uint32_t>(value);
  return text.str();
}

// A text with NULs as the escapes a reader can see.
std::string Visible(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    shown += c == '\0' ? std::string("\\0") : std::string(1, c);
  }
  return shown;
}

template <typename T>
void Show(const char* name, const T& value) {
  std::cout << name << " = " << value << '\n';
}

bool RunColour(ceCommonDialog& dialog, Options& options) {
  const std::vector<long long> custom = options.Numbers("custom");
  for (std::size_t i = 0; i < custom.size(); ++i) {
    dialog.CustomColor(static_cast<std::int16_t>(i), static_cast<std::int32_t>(custom[i]));
  }
  ChooseColorArgs args{.Color = static_cast<std::int32_t>(options.Number("color", 0)),
                       .AnyColor = !options.Flag("solid"),
                       .FullOpen = options.Flag("full-open"),
                       .DisableFullOpen = options.Flag("no-full-open")};
  options.Finish();
  const bool confirmed = dialog.VBChooseColor(args);
  Show("Color", args.Color == -1 ? std::string("-1") : Hex(args.Color));
  for (std::int16_t i = 0; i < 16; ++i) {
    std::cout << "CustomColor(" << i << ") = " << Hex(dialog.CustomColor(i)) << '\n';
  }
  return confirmed;
}

bool RunFont(ceCommonDialog& dialog, Options& options) {
  StoredFont font;
  font.name = options.Text("name", "DejaVu Sans");
  font.size = options.Decimal("size", 10);
  font.weight = static_cast<std::int16_t>(options.Number("weight", 400));
  font.italic = options.Flag("italic");
  font.underline = options.Flag("underline");
  font.strikethrough = options.Flag("strikethrough");
  ChooseFontArgs args{.CurFont = &font,
                      .PrinterDC = static_cast<std::int32_t>(options.Number("printer-dc", -1)),
                      .Color = static_cast<std::int32_t>(options.Number("color", 0)),
                      .MinSize = static_cast<std::int32_t>(options.Number("min", 0)),
                      .MaxSize = static_cast<std::int32_t>(options.Number("max", 0)),
                      .flags = static_cast<std::int32_t>(options.Number("flags", 0))};
  options.Finish();
  const bool confirmed = dialog.VBChooseFont(args);
  Show("Name", Visible(font.name));
  Show("Size", font.size);
  Show("Bold", font.bold);
  Show("Italic", font.italic);
  Show("Underline", font.underline);
  Show("Strikethrough", font.strikethrough);
  Show("Weight", font.weight);
  Show("Color", Hex(args.Color));
  Show("PrinterDC", args.PrinterDC);
  Show("flags", Hex(args.flags));
  return confirmed;
}

bool RunPrint(ceCommonDialog& dialog, Options& options) {
  ShownPrinter printer;
  PrintArgs args{.PrintRange = static_cast<std::int32_t>(options.Number("range", 0)),
                 .DisablePageNumbers = options.Flag("no-page-numbers"),
                 .FromPage = static_cast<std::int32_t>(options.Number("from", 1)),
                 .ToPage = static_cast<std::int32_t>(options.Number("to", -1)),
                 .DisableSelection = options.Flag("no-selection"),
                 .ShowPrintToFile = options.Flag("show-print-to-file"),
                 .DisablePrintToFile = !options.Flag("enable-print-to-file"),
                 .PrintToFile = options.Flag("print-to-file"),
                 .Collate = options.Flag("collate"),
                 .Printer = &printer,
                 .flags = static_cast<std::int32_t>(options.Number("flags", 0))};
  options.Finish();
  const bool confirmed = dialog.VBPrintDlg(args);
  Show("hdc", args.hdc);
  Show("PrintRange", args.PrintRange);
  Show("FromPage", args.FromPage);
  Show("ToPage", args.ToPage);
  Show("Copies", args.Copies);
  Show("PrintToFile", args.PrintToFile);
  Show("Collate", args.Collate);
  return confirmed;
}

std::int32_t Whole(float margin) {
  return static_cast<std::int32_t>(std::nearbyint(margin));
}

template <typename Args>
void ShowPageSetup(const Args& args) {
  Show("LeftMargin", args.LeftMargin);
  Show("TopMargin", args.TopMargin);
  Show("RightMargin", args.RightMargin);
  Show("BottomMargin", args.BottomMargin);
  Show("MinLeftMargin", args.MinLeftMargin);
  Show("MinTopMargin", args.MinTopMargin);
  Show("MinRightMargin", args.MinRightMargin);
  Show("MinBottomMargin", args.MinBottomMargin);
  Show("PaperSize", args.PaperSize);
  Show("Orientation", args.Orientation);
  Show("PrintQuality", args.PrintQuality);
}

bool RunPageSetup(ceCommonDialog& dialog, Options& options) {
  ShownPrinter printer;
  PageSetup2Args args{.DisableMargins = options.Flag("no-margins"),
                      .DisableOrientation = options.Flag("no-orientation"),
                      .DisablePaper = options.Flag("no-paper"),
                      .DisablePrinter = options.Flag("no-printer"),
                      .LeftMargin = static_cast<float>(options.Decimal("left", 0)),
                      .RightMargin = static_cast<float>(options.Decimal("right", 0)),
                      .TopMargin = static_cast<float>(options.Decimal("top", 0)),
                      .BottomMargin = static_cast<float>(options.Decimal("bottom", 0)),
                      .Units = options.Flag("mm") ? 1 : 0,
                      .Printer = &printer};
  const bool whole = options.Flag("whole");
  options.Finish();
  if (!whole) {
    const bool confirmed = dialog.VBPageSetupDlg2(args);
    ShowPageSetup(args);
    return confirmed;
  }
  PageSetupArgs wholeArgs{.DisableMargins = args.DisableMargins,
                          .DisableOrientation = args.DisableOrientation,
                          .DisablePaper = args.DisablePaper,
                          .DisablePrinter = args.DisablePrinter,
                          .LeftMargin = Whole(args.LeftMargin),
                          .RightMargin = Whole(args.RightMargin),
                          .TopMargin = Whole(args.TopMargin),
                          .BottomMargin = Whole(args.BottomMargin),
                          .Units = args.Units,
                          .Printer = &printer};
  const bool confirmed = dialog.VBPageSetupDlg(wholeArgs);
  ShowPageSetup(wholeArgs);
  return confirmed;
}

void Usage(std::ostream& out) {
  out << "usage: dialog-tryout colour|font|print|pagesetup [--option[=value]...]\n"
         "Opens the dialog through ceCommonDialog and prints the arguments it leaves.\n"
         "The options of each dialog are listed at the top of tools/dialog_tryout.cpp.\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    Usage(std::cout);
    return 0;
  }
  const std::set<std::string_view> kinds = {"colour", "font", "print", "pagesetup"};
  if (argc < 2 || kinds.count(argv[1]) == 0) {
    Usage(std::cerr);
    return kUsageError;
  }
  QApplication application(argc, argv);
  winsys::qt::QtWindowCalls windows;
  winsys::qt::QtCommonDialogCalls calls(windows);
  winsys::qt::QtHostScreen screen;
  winsys::qt::QtHostPrinter hostPrinter(calls);
  ceCommonDialog dialog(calls, &screen, &hostPrinter);

  std::cout << std::boolalpha;
  const std::string_view kind = argv[1];
  bool confirmed = false;
  try {
    Options options(argc, argv, 2);
    if (kind == "colour") {
      confirmed = RunColour(dialog, options);
    } else if (kind == "font") {
      confirmed = RunFont(dialog, options);
    } else if (kind == "print") {
      confirmed = RunPrint(dialog, options);
    } else {
      confirmed = RunPageSetup(dialog, options);
    }
  } catch (const InvalidArgumentError& error) {
    std::cerr << "dialog-tryout: " << error.what() << '\n';
    return kUsageError;
  } catch (const Error& error) {
    std::cerr << "dialog-tryout: " << error.what() << '\n';
    return 1;
  }
  Show("result", confirmed);
  Show("APIReturn", dialog.APIReturn());
  Show("ExtendedError", Hex(static_cast<std::int32_t>(dialog.ExtendedError())));
  return confirmed ? 0 : 1;
}
