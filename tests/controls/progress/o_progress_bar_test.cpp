#include "controls/progress/o_progress_bar.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "common/error.h"
#include "controls/property_bag_store.h"
#include "fakes/fake_control_host.h"
#include "fakes/fake_window_calls.h"

namespace sprite::controls {
namespace {

using fakes::FakeControlHost;
using fakes::FakeWindowCalls;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kRgbRed = 0x0000FF;

class ProgressBarTest : public ::testing::Test {
 protected:
  // A stored instance, as the main window loads its bars.
  void LoadStored(const std::string& text) {
    auto bag = controls::PropertyBagStore::FromText(text);
    bar_.UserControl_ReadProperties(bag);
  }

  // A bar window placed new, with the log and notifications cleared.
  void PlaceNew() {
    bar_.UserControl_InitProperties();
    calls_.ClearCalls();
    host_.ClearChanges();
  }

  // The lines of `calls` that send `message`.
  static std::vector<std::string> Sent(const FakeWindowCalls& calls, winsys::UINT message) {
    std::vector<std::string> lines;
    for (const auto& call : calls.Calls()) {
      if (call.function == "SendMessageA" && call.args[1] == message) {
        lines.push_back(call.Describe());
      }
    }
    return lines;
  }

  const FakeWindowCalls::FakeWindow& Bar() const { return *calls_.Window(bar_.BarWindow()); }

  FakeControlHost host_;
  FakeWindowCalls calls_;
  oProgressBar bar_{host_, calls_};
};

TEST_F(ProgressBarTest, ConstructionValuesDifferFromTheStoredDefaults) {
  EXPECT_EQ(bar_.Smooth(), 0);
  EXPECT_EQ(bar_.Value(), 0);
  EXPECT_EQ(bar_.Orientation(), 0);
  EXPECT_EQ(bar_.Borderstyle(), 0);
  EXPECT_EQ(bar_.Min(), 1);
  EXPECT_EQ(bar_.Max(), 100);
  EXPECT_EQ(bar_.BackColor(), 0u);
  EXPECT_EQ(bar_.BarColor(), 0u);
  EXPECT_EQ(bar_.Step(), 10);
  EXPECT_EQ(bar_.BarWindow(), 0);
  EXPECT_EQ(bar_.StyleBits(), 0u);
  EXPECT_THAT(calls_.Calls(), IsEmpty());
}

TEST_F(ProgressBarTest, NewInstanceIsRebuiltOnceAndSpansOneToHundred) {
  bar_.UserControl_InitProperties();

  // The first bar window is replaced by the rebuild; only the second lives.
  EXPECT_FALSE(calls_.Window(100)->alive);
  EXPECT_EQ(bar_.BarWindow(), 101);
  EXPECT_EQ(calls_.LiveWindowCount(), 1);
  EXPECT_EQ(Bar().className, "msctls_progress32");
  EXPECT_EQ(Bar().style, 0x50000000u);
  EXPECT_EQ(Bar().width, 344);
  EXPECT_EQ(Bar().height, 8);
  EXPECT_EQ(Bar().low, 1);
  EXPECT_EQ(Bar().high, 100);
  EXPECT_EQ(Bar().position, 0);
  EXPECT_EQ(Bar().exStyle, 0x20000);  // the static edge of border style 1
  EXPECT_EQ(Bar().frameRedraws, 1);
  EXPECT_EQ(Bar().backColour, FakeWindowCalls::kButtonFaceRgb);
  EXPECT_EQ(Bar().barColour, FakeWindowCalls::kHighlightRgb);
  EXPECT_THAT(host_.Changes(), ElementsAre("Value", "Borderstyle", "BackColor", "BarColor"));
  EXPECT_EQ(bar_.BackColor(), 0x8000000Fu);  // stored as system colours, untranslated
  EXPECT_EQ(bar_.BarColor(), 0x8000000Du);
  EXPECT_EQ(bar_.Borderstyle(), 1);
}

TEST_F(ProgressBarTest, StoredInstanceWithoutMinSpansZeroToHundred) {
  LoadStored("");
  EXPECT_EQ(bar_.Min(), 0);
  EXPECT_EQ(Bar().low, 0);
  EXPECT_EQ(Bar().high, 100);
  EXPECT_EQ(calls_.LiveWindowCount(), 1);
}

TEST_F(ProgressBarTest, MainWindowBarsStoreOnlyMin) {
  LoadStored("min = 1\n");
  EXPECT_EQ(Bar().low, 1);
  EXPECT_EQ(Bar().high, 100);
  EXPECT_EQ(bar_.BackColor(), oProgressBar::kDefaultBackColor);
  EXPECT_EQ(bar_.Borderstyle(), 1);

  controls::PropertyBagStore saved;
  bar_.UserControl_WriteProperties(saved);
  EXPECT_EQ(saved.ToText(), "min = 1\n");

  // A new instance is stored the same way.
  oProgressBar placed(host_, calls_);
  placed.UserControl_InitProperties();
  controls::PropertyBagStore placedBag;
  placed.UserControl_WriteProperties(placedBag);
  EXPECT_EQ(placedBag.ToText(), "min = 1\n");
}

TEST_F(ProgressBarTest, EveryPropertyRoundTripsThroughTheBagInOrder) {
  PlaceNew();
  bar_.SetSmooth(winsys::kVbTrue);
  bar_.SetValue(-5);
  bar_.SetOrientation(1);
  bar_.SetMin(0);
  bar_.SetMax(70000);
  bar_.SetBackColor(0x00112233);
  bar_.SetBarColor(0x80000002);
  bar_.SetStep(-3);
  bar_.SetBorderstyle(2);

  controls::PropertyBagStore saved;
  bar_.UserControl_WriteProperties(saved);
  EXPECT_EQ(saved.ToText(),
            "smooth = -1\nvalue = -5\norientation = 1\nmax = 70000\nbackcolor = 1122867\n"
            "barcolor = -2147483646\nstep = -3\nborderstyle = 2\n");

  oProgressBar loaded(host_, calls_);
  auto reread = controls::PropertyBagStore::FromText(saved.ToText());
  loaded.UserControl_ReadProperties(reread);
  EXPECT_EQ(loaded.Smooth(), winsys::kVbTrue);
  EXPECT_EQ(loaded.Value(), -5);
  EXPECT_EQ(loaded.Orientation(), 1);
  EXPECT_EQ(loaded.Min(), 0);
  EXPECT_EQ(loaded.Max(), 70000);
  EXPECT_EQ(loaded.BackColor(), 0x00112233u);
  EXPECT_EQ(loaded.BarColor(), 0x80000002u);
  EXPECT_EQ(loaded.Step(), -3);
  EXPECT_EQ(loaded.Borderstyle(), 2);
  EXPECT_EQ(loaded.StyleBits(), 0x50000005u);
}

TEST_F(ProgressBarTest, StoredSmoothOfAnyNonZeroValueReadsAsTrue) {
  LoadStored("smooth = 1\n");
  EXPECT_EQ(bar_.Smooth(), winsys::kVbTrue);
  EXPECT_EQ(bar_.StyleBits(), 0x50000001u);
}

TEST_F(ProgressBarTest, SettingTheStoredValueDoesNothingExceptForSmooth) {
  PlaceNew();
  bar_.SetValue(bar_.Value());
  bar_.SetOrientation(bar_.Orientation());
  bar_.SetMin(bar_.Min());
  bar_.SetMax(bar_.Max());
  bar_.SetBarColor(bar_.BarColor());
  bar_.SetBackColor(bar_.BackColor());
  bar_.SetStep(bar_.Step());
  bar_.SetBorderstyle(bar_.Borderstyle());
  EXPECT_THAT(calls_.Calls(), IsEmpty());
  EXPECT_THAT(host_.Changes(), IsEmpty());

  bar_.SetSmooth(bar_.Smooth());
  EXPECT_THAT(calls_.Calls(), IsEmpty());
  EXPECT_THAT(host_.Changes(), ElementsAre("Smooth"));
}

TEST_F(ProgressBarTest, SmoothRebuildsTheBarWindowWithItsStyle) {
  struct Case {
    std::int32_t orientation;
    std::uint32_t style;
  };
  for (const Case& c : {Case{0, 0x50000001u}, Case{1, 0x50000005u}}) {
    SCOPED_TRACE(c.orientation);
    oProgressBar bar(host_, calls_);
    bar.UserControl_InitProperties();
    bar.SetOrientation(c.orientation);
    const winsys::HWND before = bar.BarWindow();
    calls_.ClearCalls();
    host_.ClearChanges();

    bar.SetSmooth(winsys::kVbTrue);
    EXPECT_NE(bar.BarWindow(), before);
    EXPECT_FALSE(calls_.Window(before)->alive);
    EXPECT_EQ(calls_.Window(bar.BarWindow())->style, c.style);
    EXPECT_EQ(host_.Changes().back(), "Smooth");
  }
}

TEST_F(ProgressBarTest, OnlyOrientationOneIsVertical) {
  PlaceNew();
  for (const std::int32_t orientation : {1, 0, 2, -1, 1}) {
    SCOPED_TRACE(orientation);
    bar_.SetOrientation(orientation);
    const std::uint32_t expected = orientation == 1 ? 0x50000004u : 0x50000000u;
    EXPECT_EQ(bar_.StyleBits(), expected);
    EXPECT_EQ(Bar().style, expected);
    EXPECT_EQ(host_.Changes().back(), "Orientation");
  }
}

TEST_F(ProgressBarTest, BorderstyleSelectsTheExtendedStyle) {
  PlaceNew();
  struct Case {
    std::int32_t borderstyle;
    std::int32_t exStyle;
  };
  int redraws = Bar().frameRedraws;
  for (const Case& c : {Case{0, 0x100}, Case{2, 0x200}, Case{1, 0x20000}, Case{3, 0}, Case{-1, 0},
                        Case{INT_MIN, 0}}) {
    SCOPED_TRACE(c.borderstyle);
    bar_.SetBorderstyle(c.borderstyle);
    EXPECT_EQ(Bar().exStyle, c.exStyle);
    EXPECT_EQ(Bar().frameRedraws, ++redraws);  // the new edge is drawn at once
    EXPECT_EQ(host_.Changes().back(), "Borderstyle");
  }
}

TEST_F(ProgressBarTest, ValuesOutsideTheRangeAreStoredAndSentUnchanged) {
  PlaceNew();
  bar_.SetMin(500);
  bar_.SetMax(-500);
  bar_.SetValue(INT_MIN);
  bar_.SetStep(0);
  EXPECT_EQ(bar_.Min(), 500);
  EXPECT_EQ(bar_.Max(), -500);
  EXPECT_EQ(bar_.Value(), INT_MIN);
  EXPECT_EQ(bar_.Step(), 0);
  EXPECT_EQ(Bar().low, 500);
  EXPECT_EQ(Bar().high, -500);
  EXPECT_EQ(Bar().position, INT_MIN);
  EXPECT_EQ(Bar().step, 0);
  EXPECT_THAT(host_.Changes(), ElementsAre("Min", "Max", "Value", "Step"));
}

TEST_F(ProgressBarTest, RangeFallsBackTo16BitsWhenTheBarWindowCutsTheLimits) {
  struct Case {
    FakeWindowCalls::RangeRule rule;
    std::int32_t min;
    std::int32_t max;
    std::int32_t keptLow;
    std::int32_t keptHigh;
  };
  using enum FakeWindowCalls::RangeRule;
  for (const Case& c : {Case{kFaithful32, 1, 70000, 1, 70000}, Case{kTruncating16, 1, 100, 1, 100},
                        // The 16-bit message carries the limits' low halves.
                        Case{kTruncating16, 1, 70000, 1, 70000 & 0xFFFF},
                        Case{kTruncating16, -2, 100, 0xFFFE, 100}}) {
    SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max));
    FakeWindowCalls calls;
    calls.SetRangeRule(c.rule);
    oProgressBar bar(host_, calls);
    bar.UserControl_InitProperties();
    bar.SetMax(c.max);
    bar.SetMin(c.min);
    calls.ClearCalls();

    bar.UserControl_Resize();  // the rebuild applies the range once more
    const auto& window = *calls.Window(bar.BarWindow());
    EXPECT_EQ(window.low, c.keptLow);
    EXPECT_EQ(window.high, c.keptHigh);
    EXPECT_EQ(Sent(calls, winsys::PBM_SETRANGE).size(),
              c.keptLow != c.min || c.keptHigh != c.max ? 1u : 0u);
  }
}

TEST_F(ProgressBarTest, StepItPastTheHighLimitKeepsCountingUntilTheRebuild) {
  PlaceNew();
  bar_.SetValue(95);
  calls_.ClearCalls();

  bar_.StepIt();
  EXPECT_EQ(bar_.Value(), 105);
  EXPECT_EQ(Bar().position, 105);
  EXPECT_THAT(host_.Changes(), ElementsAre("Value"));  // the SetValue above; StepIt raises none

  bar_.UserControl_Resize();
  EXPECT_EQ(bar_.BarWindow(), 102);
  EXPECT_EQ(Bar().position, 105);
}

TEST_F(ProgressBarTest, IncrementItMovesTheBarAndTheValueByTheDelta) {
  PlaceNew();
  bar_.IncrementIt(-7);
  bar_.IncrementIt(3);
  EXPECT_EQ(bar_.Value(), -4);
  EXPECT_EQ(Bar().position, -4);
  EXPECT_THAT(host_.Changes(), IsEmpty());
}

TEST_F(ProgressBarTest, AdvancingPastThe32BitRangeFailsAfterTheMessage) {
  struct Case {
    std::int32_t value;
    std::int32_t step;
    std::int32_t increment;
  };
  for (const Case& c : {Case{INT_MAX, 10, 1}, Case{INT_MIN, -1, -1}, Case{INT_MAX - 5, 6, 6}}) {
    SCOPED_TRACE(c.value);
    oProgressBar bar(host_, calls_);
    bar.UserControl_InitProperties();
    bar.SetValue(c.value);
    bar.SetStep(c.step);
    calls_.ClearCalls();

    EXPECT_THROW(bar.IncrementIt(c.increment), OverflowError);
    EXPECT_EQ(bar.Value(), c.value);
    EXPECT_THROW(bar.StepIt(), OverflowError);
    EXPECT_EQ(bar.Value(), c.value);
    // The bar window was moved before the value's sum failed.
    EXPECT_NE(calls_.Window(bar.BarWindow())->position, c.value);
  }
}

TEST_F(ProgressBarTest, AdvancingWithoutABarWindowDoesNothing) {
  bar_.StepIt();
  bar_.IncrementIt(5);
  EXPECT_EQ(bar_.Value(), 0);
  EXPECT_THAT(calls_.Calls(), IsEmpty());
}

TEST_F(ProgressBarTest, KeptMinusOneIsNotSentAfterARebuild) {
  PlaceNew();
  bar_.SetBackColor(0xFFFFFFFF);
  bar_.SetBarColor(0xFFFFFFFF);
  bar_.SetBorderstyle(-1);
  bar_.SetValue(-1);
  calls_.ClearCalls();
  host_.ClearChanges();

  bar_.UserControl_Resize();
  // The new bar window has the value and the range, but neither colour nor edge.
  EXPECT_EQ(bar_.BarWindow(), 102);
  EXPECT_EQ(Bar().position, -1);
  EXPECT_EQ(Bar().low, 1);
  EXPECT_EQ(Bar().high, 100);
  EXPECT_EQ(Bar().exStyle, 0);
  EXPECT_EQ(Bar().frameRedraws, 0);
  EXPECT_THAT(Sent(calls_, winsys::PBM_SETBARCOLOR), IsEmpty());
  EXPECT_THAT(Sent(calls_, winsys::PBM_SETBKCOLOR), IsEmpty());
  EXPECT_THAT(host_.Changes(), IsEmpty());
  EXPECT_EQ(bar_.BackColor(), 0xFFFFFFFFu);
  EXPECT_EQ(bar_.Borderstyle(), -1);
}

TEST_F(ProgressBarTest, ColoursReachTheBarTranslatedAndAreStoredAsGiven) {
  PlaceNew();
  calls_.FailTranslationOf(0x01000005);
  bar_.SetBarColor(kRgbRed);
  bar_.SetBackColor(0x01000005);
  EXPECT_EQ(Bar().barColour, kRgbRed);
  EXPECT_EQ(Bar().backColour, 0xFFFFFFFFu);  // a colour that does not translate: all bits set
  EXPECT_EQ(bar_.BackColor(), 0x01000005u);
  EXPECT_THAT(host_.Changes(), ElementsAre("BarColor", "BackColor"));

  // Any failure of the translation, whatever its result, gives the fallback.
  for (const std::int32_t failure : {1, -1, static_cast<std::int32_t>(0x80004005)}) {
    calls_.FailTranslationOf(0x80000012, failure);
    bar_.SetBarColor(0x80000012);
    EXPECT_EQ(Bar().barColour, 0xFFFFFFFFu) << failure;
    bar_.SetBarColor(kRgbRed);
    EXPECT_EQ(Bar().barColour, kRgbRed);
  }
}

TEST_F(ProgressBarTest, WithoutABarWindowSettersOnlyStore) {
  calls_.FailCreations(100);
  bar_.UserControl_InitProperties();
  EXPECT_EQ(bar_.BarWindow(), 0);
  calls_.ClearCalls();
  host_.ClearChanges();

  bar_.SetValue(50);
  bar_.SetMin(10);
  bar_.SetMax(20);
  bar_.SetOrientation(1);
  bar_.SetBarColor(kRgbRed);
  bar_.SetBackColor(kRgbRed);
  bar_.SetStep(3);
  bar_.SetBorderstyle(2);
  bar_.SetSmooth(winsys::kVbTrue);
  EXPECT_THAT(calls_.Calls(), IsEmpty());
  // Min, Max and Orientation notify only with a bar window.
  EXPECT_THAT(host_.Changes(),
              ElementsAre("Value", "BarColor", "BackColor", "Step", "Borderstyle", "Smooth"));
  EXPECT_EQ(bar_.Min(), 10);
  EXPECT_EQ(bar_.Max(), 20);
  EXPECT_EQ(bar_.Orientation(), 1);

  bar_.UserControl_Resize();
  EXPECT_EQ(bar_.BarWindow(), 0);
  EXPECT_EQ(bar_.StyleBits(), 0x50000005u);
}

TEST_F(ProgressBarTest, ResizeRebuildsAtTheNewSize) {
  PlaceNew();
  host_.SetScaleSize(1500, 3000);
  bar_.UserControl_Resize();
  EXPECT_EQ(Bar().width, 100);
  EXPECT_EQ(Bar().height, 200);
  EXPECT_EQ(calls_.LiveWindowCount(), 1);
}

TEST_F(ProgressBarTest, PixelSizeRoundsHalvesToEvenThenTruncates) {
  struct Case {
    double twips;
    double perPixel;
    std::int32_t pixels;
  };
  const Case cases[] = {
      {5160, 15, 344},   {5167.5, 15, 344},  // 5168 / 15
      {22.5, 15, 1},                         // 22 / 15
      {37.5, 15, 2},                         // 38 / 15
      {5160, 12.5, 430},                     // 12 is even
      {5160, 13.5, 368},                     // 14 is even
      {-29, 15, -1},     {-30, 15, -2},     {14, 15, 0}, {5160, 15.49, 344},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.twips) + " / " + std::to_string(c.perPixel));
    FakeWindowCalls calls;
    host_.SetScaleSize(c.twips, c.twips);
    host_.SetTwipsPerPixel(c.perPixel, c.perPixel);
    oProgressBar bar(host_, calls);
    bar.UserControl_InitProperties();
    const auto& create = calls.Calls()[1];
    ASSERT_EQ(create.function, "CreateWindowExA");
    EXPECT_EQ(create.args[4], c.pixels);
    EXPECT_EQ(create.args[5], c.pixels);
  }
}

TEST_F(ProgressBarTest, UnusableSizesFailInsteadOfMisbehaving) {
  host_.SetTwipsPerPixel(0.4, 15);  // rounds to 0
  EXPECT_THROW(bar_.UserControl_InitProperties(), InvalidArgumentError);
  host_.SetTwipsPerPixel(15, 15);
  host_.SetScaleSize(1e12, 120);
  EXPECT_THROW(bar_.UserControl_InitProperties(), OverflowError);
}

TEST_F(ProgressBarTest, FailingNotificationLeavesTheNewValueStored) {
  PlaceNew();
  host_.FailPropertyChanged(true);
  EXPECT_ANY_THROW(bar_.SetValue(42));
  EXPECT_EQ(bar_.Value(), 42);
  EXPECT_EQ(Bar().position, 42);
}

TEST_F(ProgressBarTest, WritePropertiesRebuildsTheBarWindow) {
  PlaceNew();
  const winsys::HWND before = bar_.BarWindow();
  controls::PropertyBagStore bag;
  bar_.UserControl_WriteProperties(bag);
  EXPECT_NE(bar_.BarWindow(), before);
  EXPECT_EQ(calls_.LiveWindowCount(), 1);
}

}  // namespace
}  // namespace sprite::controls
