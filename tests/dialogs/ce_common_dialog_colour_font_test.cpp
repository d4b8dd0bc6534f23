#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "dialogs/ce_common_dialog.h"
#include "fakes/fake_common_dialog_calls.h"

namespace sprite::dialogs {
namespace {

using namespace std::string_literals;
using fakes::FakeCommonDialogCalls;
using winsys::CHOOSECOLOR;
using winsys::CHOOSEFONT;

// A font object that logs every property it is asked for or given.
class RecordingFont : public FontObject {
 public:
  std::string Name() const override { return Get("Name", name); }
  void SetName(const std::string& value) override { Set("Name", name, value); }
  double Size() const override { return Get("Size", size); }
  void SetSize(double value) override { Set("Size", size, value); }
  bool Bold() const override { return Get("Bold", bold); }
  void SetBold(bool value) override { Set("Bold", bold, value); }
  bool Italic() const override { return Get("Italic", italic); }
  void SetItalic(bool value) override { Set("Italic", italic, value); }
  bool Underline() const override { return Get("Underline", underline); }
  void SetUnderline(bool value) override { Set("Underline", underline, value); }
  bool Strikethrough() const override { return Get("Strikethrough", strikethrough); }
  void SetStrikethrough(bool value) override { Set("Strikethrough", strikethrough, value); }
  std::int16_t Weight() const override { return Get("Weight", weight); }
  void SetWeight(std::int16_t value) override { Set("Weight", weight, value); }

  std::string name = "Sans";
  double size = 12;
  bool bold = false;
  bool italic = true;
  bool underline = false;
  bool strikethrough = true;
  std::int16_t weight = 400;
  mutable std::vector<std::string> log;

 private:
  template <typename T>
  T Get(const char* what, const T& value) const {
    log.push_back(what);
    return value;
  }
  template <typename T>
  void Set(const char* what, T& field, const T& value) {
    log.push_back(std::string("set ") + what);
    field = value;
  }
};

struct FixedScreen : winsys::HostScreen {
  float TwipsPerPixelY() const override { return twips; }
  float twips = 15;
};

struct FixedPrinter : winsys::HostPrinter {
  winsys::HDC hDC() override {
    ++asked;
    return 77;
  }
  int asked = 0;
};

class ColourFontTest : public ::testing::Test {
 protected:
  const CHOOSECOLOR& SentColour() const { return calls.colour.requests.back(); }
  const CHOOSEFONT& SentFont() const { return calls.font.requests.back(); }
  const winsys::LOGFONT& SentLogFont() const { return calls.logFontsShown.back(); }
  std::string SentFaceName() const {
    return std::string(SentLogFont().lfFaceName.begin(), SentLogFont().lfFaceName.end());
  }

  FakeCommonDialogCalls calls;
  FixedScreen screen;
  FixedPrinter printer;
  ceCommonDialog dialog{calls, &screen, &printer};
  RecordingFont font;
};

TEST_F(ColourFontTest, CustomColourTableIsFilledOnFirstUseOnly) {
  EXPECT_EQ(calls.sysColourQueries, 0);
  EXPECT_EQ(dialog.CustomColor(0), 0xA00000);
  EXPECT_EQ(dialog.CustomColor(15), 0xA0000F);
  EXPECT_EQ(dialog.CustomColor(16), -1);
  EXPECT_EQ(dialog.CustomColor(-1), -1);
  dialog.CustomColor(16, 5);
  dialog.CustomColor(-1, 5);
  EXPECT_EQ(calls.sysColourQueries, 16);

  // Writing first fills the table too; the next dialog shows the entry.
  FakeCommonDialogCalls otherCalls;
  ceCommonDialog other(otherCalls);
  other.CustomColor(3, 255);
  ChooseColorArgs args;
  other.VBChooseColor(args);
  winsys::CustomColours expected{};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    expected[i] = 0xA00000 + static_cast<std::uint32_t>(i);
  }
  expected[3] = 255;
  EXPECT_EQ(otherCalls.customColoursShown.back(), expected);
  EXPECT_EQ(otherCalls.sysColourQueries, 16);
}

TEST_F(ColourFontTest, ColourDialogFlagWord) {
  struct Case {
    const char* name;
    ChooseColorArgs args;
    std::uint32_t flags;
    winsys::HWND owner;
  };
  const Case cases[] = {
      {"defaults", {}, 0x101, 0},
      {"solid, full open", {.AnyColor = false, .FullOpen = true}, 0x83, 0},
      {"full open prevented", {.DisableFullOpen = true, .Owner = 9}, 0x105, 9},
      {"caller's flags not merged", {.flags = 0x38}, 0x101, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChooseColorArgs args = c.args;
    args.Color = 0x123456;
    dialog.VBChooseColor(args);
    EXPECT_EQ(SentColour().lStructSize, 36u);
    EXPECT_EQ(SentColour().Flags, c.flags);
    EXPECT_EQ(SentColour().hwndOwner, c.owner);
    EXPECT_EQ(SentColour().rgbResult, 0x123456u);
  }
}

TEST_F(ColourFontTest, ColourDialogOutcomesKeepAnEarlierFailure) {
  struct Case {
    const char* name;
    std::int32_t result;
    bool confirmed;
    std::int32_t color;
  };
  const Case cases[] = {
      {"failed", 2, false, -1},
      {"confirmed", 1, true, 0x00FF00},
      {"cancelled", 0, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    calls.error = 0x7777;
    calls.colour.answers.push_back([&c](CHOOSECOLOR& r) {
      r.rgbResult = 0x00FF00;
      (*r.lpCustColors)[5] = 0x0000FF;  // a colour the user defined
      return c.result;
    });
    ChooseColorArgs args{.Color = 0x123};
    EXPECT_EQ(dialog.VBChooseColor(args), c.confirmed);
    EXPECT_EQ(args.Color, c.color);
    EXPECT_EQ(dialog.APIReturn(), c.result);
    // Set by the first case's failure and never reset by a colour dialog.
    EXPECT_EQ(dialog.ExtendedError(), 0x7777u);
    EXPECT_EQ(dialog.CustomColor(5), 0x0000FF);
  }
  EXPECT_EQ(calls.errorQueries, 1);
}

TEST_F(ColourFontTest, FontRequestFromTheFontObject) {
  calls.error = 0x55;
  calls.font.answers.push_back(calls.Fail<CHOOSEFONT>(0x55));
  ChooseFontArgs failing{.CurFont = &font};
  dialog.VBChooseFont(failing);
  font.log.clear();

  ChooseFontArgs args{.CurFont = &font, .Owner = 4};
  EXPECT_FALSE(dialog.VBChooseFont(args));
  EXPECT_EQ(dialog.APIReturn(), 0);
  EXPECT_EQ(dialog.ExtendedError(), 0u);
  const CHOOSEFONT& sent = SentFont();
  EXPECT_EQ(sent.lStructSize, 60u);
  EXPECT_EQ(sent.hwndOwner, 4);
  EXPECT_EQ(sent.iPointSize, 120);
  EXPECT_EQ(SentLogFont().lfHeight, -16);
  EXPECT_EQ(SentLogFont().lfWeight, 400);
  EXPECT_EQ(SentLogFont().lfItalic, 0xFF);
  EXPECT_EQ(SentLogFont().lfUnderline, 0);
  EXPECT_EQ(SentLogFont().lfStrikeOut, 0xFF);
  EXPECT_EQ(SentFaceName(), "Sans" + std::string(29, '\0'));
  EXPECT_EQ(font.log, (std::vector<std::string>{"Size", "Weight", "Italic", "Underline",
                                                "Strikethrough", "Name", "Size"}));
}

TEST_F(ColourFontTest, FontHeightAndTenthsRoundHalvesToEven) {
  struct Case {
    double size;
    float twips;
    std::int32_t height;
    std::int32_t tenths;
  };
  const Case cases[] = {
      {12, 15, -16, 120}, {9, 12, -15, 90}, {8.25, 15, -11, 82}, {8.75, 15, -12, 88}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    font.size = c.size;
    screen.twips = c.twips;
    ChooseFontArgs args{.CurFont = &font};
    dialog.VBChooseFont(args);
    EXPECT_EQ(SentLogFont().lfHeight, c.height);
    EXPECT_EQ(SentFont().iPointSize, c.tenths);
  }
}

TEST_F(ColourFontTest, FontFlagsAndPrinterContextChangeInPlace) {
  struct Case {
    const char* name;
    ChooseFontArgs args;
    std::uint32_t flags;
    winsys::HDC dc;
    int printerAsked;
  };
  const Case cases[] = {
      {"defaults", {}, 0x41, 0, 0},
      {"a printer context", {.PrinterDC = 1234}, 0x42, 1234, 0},
      {"printer fonts of the host printer", {.flags = 0x2}, 0x42, 77, 1},
      {"a colour turns on the effects", {.Color = 5}, 0x141, 0, 0},
      {"a size limit", {.MaxSize = 20}, 0x2041, 0, 0},
      {"hook, template and Apply removed", {.flags = 0x218}, 0x41, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    printer.asked = 0;
    ChooseFontArgs args = c.args;
    args.CurFont = &font;
    EXPECT_FALSE(dialog.VBChooseFont(args));  // cancelled
    EXPECT_EQ(SentFont().Flags, c.flags);
    EXPECT_EQ(SentFont().hDC, c.dc);
    EXPECT_EQ(args.flags, static_cast<std::int32_t>(c.flags));
    EXPECT_EQ(args.PrinterDC, c.dc);
    EXPECT_EQ(printer.asked, c.printerAsked);
  }
}

TEST_F(ColourFontTest, ConfirmedFontIsWrittenBackInOrder) {
  calls.font.answers.push_back([](CHOOSEFONT& r) {
    r.Flags |= 0x10000;
    r.rgbColors = 0xFF;
    r.nFontType = 0x100 | 0x2000;
    r.lpLogFont->lfWeight = 700;
    r.lpLogFont->lfItalic = 0;
    r.lpLogFont->lfUnderline = 1;
    return winsys::kDialogConfirmed;
  });
  ChooseFontArgs args{.CurFont = &font, .Color = 3};
  font.log.clear();
  EXPECT_TRUE(dialog.VBChooseFont(args));
  EXPECT_EQ(args.flags, 0x10141);
  EXPECT_EQ(args.Color, 0xFF);
  EXPECT_EQ(font.size, 12.0);
  EXPECT_EQ(font.name, "Sans" + std::string(29, '\0'));
  EXPECT_TRUE(font.bold);
  EXPECT_FALSE(font.italic);
  EXPECT_TRUE(font.underline);
  EXPECT_TRUE(font.strikethrough);
  EXPECT_EQ(font.weight, 700);
  const std::vector<std::string> writes(font.log.begin() + 7, font.log.end());
  EXPECT_EQ(writes,
            (std::vector<std::string>{"set Bold", "set Italic", "set Strikethrough",
                                      "set Underline", "set Weight", "set Size", "set Name"}));
}

TEST_F(ColourFontTest, CancelledOrFailedFontLeavesFontAndColour) {
  for (const std::int32_t result : {0, -1}) {
    SCOPED_TRACE(result);
    calls.font.answers.push_back(calls.Fail<CHOOSEFONT>(0x2001, result));
    ChooseFontArgs args{.CurFont = &font, .Color = 3};
    font.log.clear();
    EXPECT_FALSE(dialog.VBChooseFont(args));
    EXPECT_EQ(args.Color, 3);
    EXPECT_EQ(font.log.size(), 7u);  // read only
    EXPECT_EQ(dialog.ExtendedError(), result == 0 ? 0u : 0x2001u);
  }
}

TEST_F(ColourFontTest, FaceNameIsCutToWholeCharactersWithin33Bytes) {
  struct Case {
    const char* name;
    std::string given;
    std::string field;
  };
  const std::string forty(40, 'x');
  // 31 ASCII bytes, then characters of two bytes: the 33rd byte ends one.
  const std::string endsWhole = std::string(31, 'a') + "éé";
  // 32 ASCII bytes, then "é": its second byte would be the 34th.
  const std::string endsInside = std::string(32, 'a') + "é";
  const Case cases[] = {
      {"40 characters", forty, forty.substr(0, 33)},
      {"ends on a whole character", endsWhole, endsWhole.substr(0, 33)},
      {"a character would be cut", endsInside, std::string(32, 'a') + '\0'},
      {"three-byte character at the end", std::string(31, 'a') + "日",
       std::string(31, 'a') + "\0\0"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    font.name = c.given;
    ChooseFontArgs args{.CurFont = &font};
    dialog.VBChooseFont(args);
    EXPECT_EQ(SentFaceName(), c.field);
  }
}

TEST_F(ColourFontTest, FontRefusalsComeBeforeTheDialog) {
  RecordingFont huge;
  huge.size = 1e12;
  struct Case {
    const char* name;
    const winsys::HostScreen* screen;
    winsys::HostPrinter* printer;
    ChooseFontArgs args;
  };
  const Case cases[] = {
      {"no font", &screen, &printer, {}},
      {"no screen", nullptr, &printer, {.CurFont = &font}},
      {"printer fonts without a printer", &screen, nullptr, {.CurFont = &font, .flags = 0x2}},
      {"height beyond 32 bits", &screen, &printer, {.CurFont = &huge}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ceCommonDialog refusing(calls, c.screen, c.printer);
    ChooseFontArgs args = c.args;
    EXPECT_THROW(refusing.VBChooseFont(args), Error);
    EXPECT_TRUE(calls.font.requests.empty());
  }
}

}  // namespace
}  // namespace sprite::dialogs
