#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "dialogs/ce_common_dialog.h"
#include "fakes/fake_common_dialog_calls.h"

namespace sprite::dialogs {
namespace {

using fakes::FakeCommonDialogCalls;
using winsys::DEVMODE;
using winsys::PAGESETUPDLG;
using winsys::PRINTDLG;
using Settings = std::vector<std::pair<std::string, std::int16_t>>;

class RecordingPrinter : public PrinterObject {
 public:
  void SetProperty(const std::string& name, std::int16_t value) override {
    if (refused.count(name) != 0) {
      throw std::runtime_error("no such property");
    }
    set.emplace_back(name, value);
  }

  std::set<std::string> refused;
  Settings set;
};

DEVMODE Settled(std::int16_t copies, std::int16_t collate) {
  DEVMODE mode;
  mode.dmDeviceName = "Office";
  mode.dmOrientation = 2;
  mode.dmPaperSize = 9;
  mode.dmCopies = copies;
  mode.dmPrintQuality = -4;
  mode.dmCollate = collate;
  return mode;
}

class PrintTest : public ::testing::Test {
 protected:
  const PRINTDLG& SentPrint() const { return calls.print.requests.back(); }
  const PAGESETUPDLG& SentPageSetup() const { return calls.pageSetup.requests.back(); }
  // Leaves a failure's outcome behind, to show what the next operation resets.
  void FailOnce() {
    calls.print.answers.push_back(calls.Fail<PRINTDLG, std::int16_t>(0x1008, 2));
    PrintArgs args;
    dialog.VBPrintDlg(args);
  }
  // A confirmed dialog that hands back the device mode as `size` bytes (none for 0).
  template <typename Record>
  std::function<std::int16_t(Record&)> Confirm(const DEVMODE& mode, std::size_t size,
                                               std::function<void(Record&)> more = {}) {
    return [this, mode, size, more](Record& r) {
      r.hDevMode = size == 0 ? 0 : calls.DeviceModeBlock(mode, size);
      r.hDevNames = calls.memory.GlobalAlloc(8);
      if (more) {
        more(r);
      }
      return std::int16_t{1};
    };
  }

  FakeCommonDialogCalls calls;
  ceCommonDialog dialog{calls};
  RecordingPrinter printer;
};

TEST_F(PrintTest, PrintRequestWithDefaults) {
  PrintArgs args;
  dialog.VBPrintDlg(args);
  const PRINTDLG& r = SentPrint();
  EXPECT_EQ(r.lStructSize, 66u);
  EXPECT_EQ(r.Flags, 0x1C0100u);
  EXPECT_EQ(r.nFromPage, 1);
  EXPECT_EQ(r.nToPage, 65535);
  EXPECT_EQ(r.nMinPage, 1);
  EXPECT_EQ(r.nMaxPage, 65535);
  EXPECT_EQ(r.hwndOwner, 0);
  EXPECT_EQ(r.hDevMode, 0);
}

TEST_F(PrintTest, PrintFlagWord) {
  struct Case {
    const char* name;
    PrintArgs args;
    std::uint32_t flags;
  };
  const Case cases[] = {
      {"page numbers; hook bit removed", {.PrintRange = 1, .flags = 0x1000}, 0x1C0102},
      {"selection", {.PrintRange = 2}, 0x1C0101},
      {"any other range is all pages", {.PrintRange = 3}, 0x1C0100},
      {"every switch",
       {.DisablePageNumbers = true,
        .DisableSelection = true,
        .ShowPrintToFile = true,
        .DisablePrintToFile = false,
        .PrintToFile = true,
        .Collate = true,
        .PreventWarning = true},
       0x401BC},
      {"hooks and templates removed, other bits kept", {.flags = 0xF800}, 0x1C0900},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PrintArgs args = c.args;
    dialog.VBPrintDlg(args);
    EXPECT_EQ(SentPrint().Flags, c.flags);
  }
}

TEST_F(PrintTest, PagesOutside16BitsAreRefusedBeforeTheDialog) {
  for (const auto& [from, to] : {std::pair{32768, 5}, std::pair{1, -32769}}) {
    FailOnce();
    calls.print.requests.clear();
    PrintArgs args{.FromPage = from, .ToPage = to};
    EXPECT_THROW(dialog.VBPrintDlg(args), OverflowError);
    EXPECT_TRUE(calls.print.requests.empty());
    EXPECT_EQ(dialog.APIReturn(), 0);
    EXPECT_EQ(dialog.ExtendedError(), 0u);
  }
  PrintArgs edges{.FromPage = -32768, .ToPage = 32767};
  dialog.VBPrintDlg(edges);
  EXPECT_EQ(SentPrint().nFromPage, 32768);
  EXPECT_EQ(SentPrint().nToPage, 32767);
}

TEST_F(PrintTest, ConfirmedPrintTakesCopiesFromTheCollateBitOrTheDeviceMode) {
  struct Case {
    const char* name;
    bool collateBit;
    std::int16_t modeCollate;
    std::size_t blockSize;
    bool collate;
    std::int16_t copies;
    Settings printer;
  };
  const Settings fromMode = {
      {"Copies", 3}, {"Orientation", 2}, {"PaperSize", 9}, {"PrintQuality", -4}};
  const Case cases[] = {
      {"device mode, collated", false, 1, 124, true, 3, fromMode},
      {"device mode, not collated", false, 0, 124, false, 3, fromMode},
      {"collate value other than 1", false, 2, 124, false, 3, fromMode},
      {"collate bit",
       true,
       0,
       124,
       true,
       5,
       {{"Copies", 5}, {"Orientation", 2}, {"PaperSize", 9}, {"PrintQuality", -4}}},
      {"no device-mode block reads as zeros",
       false,
       1,
       0,
       false,
       0,
       {{"Copies", 0}, {"Orientation", 0}, {"PaperSize", 0}, {"PrintQuality", 0}}},
      {"a block that ends after the copies",
       false,
       1,
       56,
       false,
       3,
       {{"Copies", 3}, {"Orientation", 2}, {"PaperSize", 9}, {"PrintQuality", 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    printer.set.clear();
    calls.print.answers.push_back(
        Confirm<PRINTDLG>(Settled(3, c.modeCollate), c.blockSize, [&c](PRINTDLG& r) {
          r.hDC = 99;
          r.Flags = (r.Flags & ~0x10u) | (c.collateBit ? 0x10u : 0) | 0x2 | 0x20;
          r.nFromPage = 3;
          r.nCopies = 5;
        }));
    PrintArgs args{.Collate = true, .Printer = &printer};
    EXPECT_TRUE(dialog.VBPrintDlg(args));
    EXPECT_EQ(args.hdc, 99);
    EXPECT_EQ(args.PrintRange, 1);
    EXPECT_EQ(args.FromPage, 3);
    EXPECT_EQ(args.ToPage, -1);
    EXPECT_TRUE(args.PrintToFile);
    EXPECT_EQ(args.Collate, c.collate);
    EXPECT_EQ(args.Copies, c.copies);
    EXPECT_EQ(printer.set, c.printer);
    EXPECT_EQ(dialog.APIReturn(), 1);
    // Both blocks were unlocked and freed.
    EXPECT_EQ(calls.memory.BlockCount(), 0u);
  }
}

TEST_F(PrintTest, PrinterThatRefusesAPropertyGetsTheOthers) {
  printer.refused = {"Orientation"};
  calls.print.answers.push_back(Confirm<PRINTDLG>(Settled(2, 1), 124));
  calls.pageSetup.answers.push_back(Confirm<PAGESETUPDLG>(Settled(2, 1), 124));
  PrintArgs print{.Printer = &printer};
  EXPECT_TRUE(dialog.VBPrintDlg(print));
  PageSetup2Args pageSetup{.Printer = &printer};
  EXPECT_TRUE(dialog.VBPageSetupDlg2(pageSetup));
  const Settings expected = {{"Copies", 2}, {"PaperSize", 9}, {"PrintQuality", -4}};
  EXPECT_EQ(printer.set, (Settings{expected[0], expected[1], expected[2], expected[0], expected[1],
                                   expected[2]}));
}

TEST_F(PrintTest, PrintOutcomes) {
  for (const std::int16_t result : {std::int16_t{0}, std::int16_t{-1}, std::int16_t{2}}) {
    SCOPED_TRACE(result);
    calls.print.answers.push_back(calls.Fail<PRINTDLG, std::int16_t>(0x1008, result));
    PrintArgs args{.hdc = 5, .PrintRange = 1, .FromPage = 2, .Copies = 4, .Collate = true};
    EXPECT_FALSE(dialog.VBPrintDlg(args));
    EXPECT_EQ(dialog.APIReturn(), result);
    EXPECT_EQ(dialog.ExtendedError(), result == 0 ? 0u : 0x1008u);
    EXPECT_EQ(args.hdc, 5);
    EXPECT_EQ(args.PrintRange, 1);
    EXPECT_EQ(args.FromPage, 2);
    EXPECT_EQ(args.Copies, 4);
    EXPECT_TRUE(args.Collate);
  }
}

TEST_F(PrintTest, PageSetupRequestInThousandthsOfAnInchOrHundredthsOfAMillimetre) {
  struct Case {
    const char* name;
    PageSetup2Args args;
    std::uint32_t flags;
    winsys::RECT margin;
    winsys::RECT minMargin;
  };
  const Case cases[] = {
      {"inches", {.TopMargin = 1.5f}, 0x4, {0, 1500, 0, 0}, {}},
      {"millimetres", {.TopMargin = 25.4f, .Units = 1}, 0x8, {0, 2540, 0, 0}, {}},
      {"any other unit is millimetres", {.LeftMargin = 1, .Units = -3}, 0x8, {100, 0, 0, 0}, {}},
      {"halves to even",
       {.LeftMargin = 0.125f, .MinLeftMargin = 0.375f, .Units = 1},
       0x8,
       {12, 0, 0, 0},
       {38, 0, 0, 0}},
      {"each margin in its place",
       {.LeftMargin = 1,
        .MinLeftMargin = 2,
        .RightMargin = 3,
        .MinRightMargin = 4,
        .TopMargin = 5,
        .MinTopMargin = 6,
        .BottomMargin = 7,
        .MinBottomMargin = 8},
       0x4,
       {1000, 5000, 3000, 7000},
       {2000, 6000, 4000, 8000}},
      {"switches; caller's flags not merged",
       {.DisableMargins = true,
        .DisableOrientation = true,
        .DisablePaper = true,
        .DisablePrinter = true,
        .flags = 0x3},
       0x334,
       {},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageSetup2Args args = c.args;
    args.Owner = 6;
    dialog.VBPageSetupDlg2(args);
    const PAGESETUPDLG& r = SentPageSetup();
    EXPECT_EQ(r.lStructSize, 84u);
    EXPECT_EQ(r.hwndOwner, 6);
    EXPECT_EQ(r.Flags, c.flags);
    EXPECT_EQ(std::tie(r.rtMargin.left, r.rtMargin.top, r.rtMargin.right, r.rtMargin.bottom),
              std::tie(c.margin.left, c.margin.top, c.margin.right, c.margin.bottom));
    EXPECT_EQ(
        std::tie(r.rtMinMargin.left, r.rtMinMargin.top, r.rtMinMargin.right, r.rtMinMargin.bottom),
        std::tie(c.minMargin.left, c.minMargin.top, c.minMargin.right, c.minMargin.bottom));
  }
}

TEST_F(PrintTest, ConfirmedPageSetupReadsMarginsAndDeviceMode) {
  FailOnce();
  calls.pageSetup.answers.push_back(Confirm<PAGESETUPDLG>(Settled(1, 0), 124, [](PAGESETUPDLG& r) {
    r.rtMargin = {1000, 1500, 2500, 3500};
    r.rtMinMargin = {250, 0, 0, 0};
  }));
  PageSetupArgs args{.Printer = &printer};
  EXPECT_TRUE(dialog.VBPageSetupDlg(args));
  EXPECT_EQ(args.LeftMargin, 1);
  EXPECT_EQ(args.TopMargin, 2);  // 1.5 rounds to even
  EXPECT_EQ(args.RightMargin, 2);
  EXPECT_EQ(args.BottomMargin, 4);
  EXPECT_EQ(args.MinLeftMargin, 0);
  EXPECT_EQ(args.PaperSize, 9);
  EXPECT_EQ(args.Orientation, 2);
  EXPECT_EQ(args.PrintQuality, -4);
  EXPECT_EQ(printer.set.front(), (std::pair<std::string, std::int16_t>{"Copies", 1}));
  EXPECT_EQ(dialog.APIReturn(), 0);
  EXPECT_EQ(dialog.ExtendedError(), 0u);
  EXPECT_EQ(calls.memory.BlockCount(), 0u);

  calls.pageSetup.answers.push_back(Confirm<PAGESETUPDLG>(Settled(1, 0), 0, [](PAGESETUPDLG& r) {
    r.rtMargin.left = 1000;
    r.rtMinMargin.top = 12;
  }));
  PageSetup2Args exact{.Units = 1};
  EXPECT_TRUE(dialog.VBPageSetupDlg2(exact));
  EXPECT_EQ(exact.LeftMargin, 10.0f);
  EXPECT_EQ(exact.MinTopMargin, 0.12f);
  EXPECT_EQ(exact.PaperSize, 0);  // no device-mode block
}

TEST_F(PrintTest, CancelledPageSetupLeavesEveryArgument) {
  const PageSetup2Args exact{.LeftMargin = 1.25f,
                             .MinTopMargin = 0.5f,
                             .PaperSize = 7,
                             .Orientation = 0,
                             .PrintQuality = 3,
                             .Units = 1};
  const PageSetupArgs whole{.LeftMargin = 1,
                            .MinLeftMargin = 2,
                            .RightMargin = 3,
                            .MinRightMargin = 4,
                            .TopMargin = 5,
                            .MinTopMargin = 6,
                            .BottomMargin = 7,
                            .MinBottomMargin = 8,
                            .PaperSize = 7,
                            .Printer = &printer};
  FailOnce();
  // A cancel and a failure look alike to the page-setup operations.
  calls.pageSetup.answers.push_back(calls.Fail<PAGESETUPDLG, std::int16_t>(0x1008, 0));
  calls.pageSetup.answers.push_back(calls.Fail<PAGESETUPDLG, std::int16_t>(0x1008, 0));
  PageSetup2Args exactArgs = exact;
  EXPECT_FALSE(dialog.VBPageSetupDlg2(exactArgs));
  EXPECT_EQ(exactArgs, exact);
  PageSetupArgs wholeArgs = whole;
  EXPECT_FALSE(dialog.VBPageSetupDlg(wholeArgs));
  EXPECT_EQ(wholeArgs, whole);
  // Zero margins went in: the dialog starts from the printer's own.
  EXPECT_EQ(SentPageSetup().rtMargin.bottom, 0);
  EXPECT_EQ(dialog.APIReturn(), 0);
  EXPECT_EQ(dialog.ExtendedError(), 0u);
  EXPECT_TRUE(printer.set.empty());
}

TEST_F(PrintTest, MarginBeyond32BitsIsRefusedBeforeTheDialog) {
  PageSetup2Args exact{.BottomMargin = 3e6f};
  EXPECT_THROW(dialog.VBPageSetupDlg2(exact), OverflowError);
  EXPECT_TRUE(calls.pageSetup.requests.empty());
  // Whole margins are not handed in, so no margin of the caller's can overflow.
  PageSetupArgs whole{.MinRightMargin = -2147484};
  EXPECT_FALSE(dialog.VBPageSetupDlg(whole));
  EXPECT_EQ(whole.MinRightMargin, -2147484);
}

}  // namespace
}  // namespace sprite::dialogs
