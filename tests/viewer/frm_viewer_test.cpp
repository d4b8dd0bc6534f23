// frmViewer on the recording window system: which file, the step, fitting,
// scrolling, closing, and what a file that cannot be shown says.
#include "viewer/frm_viewer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <new>

#include "fakes/fake_picture_source.h"
#include "fakes/fake_window_system.h"
#include "fakes/memory_file_system.h"
#include "winsys/memory/memory_picture_window.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using viewer::kMaxZoom;
using viewer::kMinZoom;
using winsys::PictureKey;
using winsys::PixelSize;

// The hero of the samples: 38 x 44, background and 10 colours.
formats::StoredPicture Hero() {
  return fakes::MakeStoredPicture(38, -44, [](std::int32_t x, std::int32_t y) {
    return static_cast<std::uint8_t>(x < 10 ? 0 : 1 + (x + y) % 10);
  });
}

class FrmViewerTest : public ::testing::Test {
 protected:
  FrmViewerTest() {
    pictures_.pictures["/sprites/hero.bmp"] = Hero();
    pictures_.pictures["/sprites/hero2.bmp"] = Hero();
    pictures_.pictures["/sprites/dot.bmp"] =
        fakes::MakeStoredPicture(1, 1, [](auto, auto) { return 3; });
    pictures_.pictures["/sprites/wide.bmp"] =
        fakes::MakeStoredPicture(100, 100, [](std::int32_t x, std::int32_t y) {
          return static_cast<std::uint8_t>(1 + (x + 100 * y) % 255);
        });
  }

  winsys::MemoryPictureWindow& Window() { return winsys::AsMemory(*viewer_.LoadedWindow()); }
  // The window's design: 6000 x 5400 twips, 400 x 360 pixels.
  static constexpr PixelSize kArea{400, 360};

  fakes::FakeWindowSystem windows_;
  fakes::FakePictureSource pictures_;
  viewer::frmViewer viewer_{windows_, pictures_};
};

TEST_F(FrmViewerTest, ShowsTheFileFittedWithItsNameSizeAndColours) {
  EXPECT_EQ(viewer_.LoadedWindow(), nullptr);  // made on first use
  viewer_.ShowFile("/sprites/hero.bmp");
  ASSERT_NE(viewer_.LoadedWindow(), nullptr);
  EXPECT_TRUE(Window().Visible());
  EXPECT_EQ(Window().Activations(), 1);
  EXPECT_EQ(Window().AreaSize(), kArea);
  // 400 / 38 = 10, 360 / 44 = 8.
  EXPECT_EQ(viewer_.Zoom(), 8);
  EXPECT_EQ(Window().Caption(), "hero.bmp - Sprite Viewer");
  EXPECT_EQ(Window().Text(), "hero.bmp: 38 \u00D7 44 pixels, 11 colours, shown at 8\u00D7");
  // The picture handed over is the area, not the scaled picture.
  EXPECT_EQ(Window().Shown().width, 400);
  EXPECT_EQ(Window().Shown().height, 360);
  EXPECT_THAT(pictures_.reads, ElementsAre("/sprites/hero.bmp"));

  viewer_.ShowFile("/sprites/dot.bmp");
  EXPECT_EQ(viewer_.Zoom(), kMaxZoom);
  EXPECT_EQ(Window().Text(), "dot.bmp: 1 \u00D7 1 pixels, 1 colour, shown at 16\u00D7");
}

TEST_F(FrmViewerTest, PlusAndMinusStepByOneWithinOneToSixteen) {
  viewer_.ShowFile("/sprites/hero.bmp");
  Window().PressKey(PictureKey::kZoomIn);
  EXPECT_EQ(viewer_.Zoom(), 9);
  EXPECT_THAT(Window().Text(), ::testing::EndsWith("shown at 9\u00D7"));
  for (int i = 0; i < 20; ++i) {
    Window().PressKey(PictureKey::kZoomIn);
  }
  EXPECT_EQ(viewer_.Zoom(), kMaxZoom);
  for (int i = 0; i < 20; ++i) {
    Window().PressKey(PictureKey::kZoomOut);
    EXPECT_GE(viewer_.Zoom(), kMinZoom);
  }
  EXPECT_EQ(viewer_.Zoom(), kMinZoom);
  Window().PressKey(PictureKey::kZoomIn);
  EXPECT_EQ(viewer_.Zoom(), 2);
}

TEST_F(FrmViewerTest, CtrlWheelZoomsByNotchesAndAPlainWheelDoesNot) {
  viewer_.ShowFile("/sprites/hero.bmp");
  Window().TurnWheel(3, true);
  EXPECT_EQ(viewer_.Zoom(), 11);
  Window().TurnWheel(-1, true);
  EXPECT_EQ(viewer_.Zoom(), 10);
  Window().TurnWheel(100, true);
  EXPECT_EQ(viewer_.Zoom(), kMaxZoom);
  Window().TurnWheel(-100, true);
  EXPECT_EQ(viewer_.Zoom(), kMinZoom);
  Window().TurnWheel(2);
  Window().TurnWheel(2, false, true);
  EXPECT_EQ(viewer_.Zoom(), kMinZoom);
}

TEST_F(FrmViewerTest, AResizedWindowRefitsUntilTheUserChoosesAStep) {
  viewer_.ShowFile("/sprites/hero.bmp");
  Window().Resize({800, 700});
  EXPECT_EQ(viewer_.Zoom(), 15);  // 700 / 44
  EXPECT_EQ(Window().Shown().width, 800);
  Window().Resize({37, 500});
  EXPECT_EQ(viewer_.Zoom(), kMinZoom);  // not even 1x fits across
  Window().Resize({400, 360});
  Window().PressKey(PictureKey::kZoomOut);
  EXPECT_EQ(viewer_.Zoom(), 7);
  Window().Resize({800, 700});
  EXPECT_EQ(viewer_.Zoom(), 7);  // chosen: kept
  EXPECT_EQ(Window().Shown().width, 800);
  EXPECT_EQ(Window().Shown().height, 700);
}

TEST_F(FrmViewerTest, TheNextFrameOfTheSameSizeKeepsTheChosenStepAnotherSizeIsFitted) {
  viewer_.ShowFile("/sprites/hero.bmp");
  Window().PressKey(PictureKey::kZoomIn);
  Window().PressKey(PictureKey::kZoomIn);
  viewer_.FollowFile("/sprites/hero2.bmp");
  EXPECT_EQ(viewer_.Path(), "/sprites/hero2.bmp");
  EXPECT_EQ(viewer_.Zoom(), 10);
  viewer_.FollowFile("/sprites/dot.bmp");
  EXPECT_EQ(viewer_.Zoom(), kMaxZoom);
  viewer_.FollowFile("/sprites/hero.bmp");
  EXPECT_EQ(viewer_.Zoom(), 8);  // fitted again
}

TEST_F(FrmViewerTest, FollowingReadsNothingWhileTheWindowIsClosed) {
  viewer_.FollowFile("/sprites/hero.bmp");
  EXPECT_EQ(viewer_.LoadedWindow(), nullptr);
  viewer_.ShowFile("/sprites/hero.bmp");
  Window().PressKey(PictureKey::kEscape);
  viewer_.FollowFile("/sprites/dot.bmp");
  EXPECT_THAT(pictures_.reads, ElementsAre("/sprites/hero.bmp"));
  EXPECT_FALSE(Window().Visible());
}

TEST_F(FrmViewerTest, EscAndTheCloseButtonHideTheWindowAndDropThePicture) {
  viewer_.ShowFile("/sprites/hero.bmp");
  winsys::PictureWindow* window = viewer_.LoadedWindow();
  Window().PressKey(PictureKey::kEscape);
  EXPECT_FALSE(viewer_.Showing());
  EXPECT_EQ(viewer_.Shown(), nullptr);
  EXPECT_TRUE(Window().Shown().rgb.empty());  // the window keeps no copy either

  viewer_.ShowFile("/sprites/dot.bmp");
  EXPECT_EQ(viewer_.LoadedWindow(), window);  // one window, shown again
  EXPECT_TRUE(viewer_.Showing());
  Window().RequestClose();
  EXPECT_FALSE(viewer_.Showing());
  EXPECT_EQ(viewer_.Shown(), nullptr);
  EXPECT_TRUE(Window().Shown().rgb.empty());
  // Keys reach nobody while it is closed.
  Window().PressKey(PictureKey::kZoomIn);
  EXPECT_EQ(viewer_.Zoom(), kMaxZoom);
}

TEST_F(FrmViewerTest, ThePictureShownSoFarIsDroppedBeforeTheNextIsRead) {
  viewer_.ShowFile("/sprites/hero.bmp");
  int held = 0;
  pictures_.beforeRead = [&](const std::string&) { held += viewer_.Shown() != nullptr; };
  viewer_.FollowFile("/sprites/dot.bmp");
  viewer_.ShowFile("/sprites/wide.bmp");
  EXPECT_EQ(held, 0);
}

TEST_F(FrmViewerTest, AFileThatCannotBeShownSaysWhyInTheWindowsOwnWords) {
  pictures_.faults["/sprites/slime24.bmp"] = {.kind = FaultKind::kNotEightBit, .value = 24};
  viewer_.ShowFile("/sprites/slime24.bmp");
  EXPECT_TRUE(Window().Visible());
  EXPECT_EQ(viewer_.Shown(), nullptr);
  EXPECT_EQ(Window().Caption(), "slime24.bmp - Sprite Viewer");
  EXPECT_EQ(Window().Text(), "\"slime24.bmp\" cannot be shown: " +
                                 Describe({.kind = FaultKind::kNotEightBit, .value = 24}));
  EXPECT_THAT(Window().Text(), ::testing::HasSubstr("24-bit"));
  // The area is blank, and the keys do nothing.
  EXPECT_EQ(Window().Shown().width, 400);
  Window().PressKey(PictureKey::kZoomIn);
  Window().TurnWheel(2, true);
  Window().PressKey(PictureKey::kLeft);
  Window().Resize({300, 200});
  EXPECT_EQ(Window().Shown().width, 300);

  viewer_.FollowFile("/sprites/missing.bmp");
  EXPECT_EQ(Window().Text(), "\"missing.bmp\" cannot be shown: there is no such file");
  viewer_.FollowFile("/sprites/hero.bmp");  // and a good one shows again
  EXPECT_THAT(Window().Text(), ::testing::StartsWith("hero.bmp: 38 \u00D7 44 pixels"));
}

TEST_F(FrmViewerTest, ErrorsOtherThanFaultsAreShownAsWellNeverThrown) {
  pictures_.beforeRead = [](const std::string& path) {
    if (path == "/odd/alloc.bmp") {
      throw std::bad_alloc();
    }
    if (path == "/odd/mismatch.bmp") {
      throw InvalidArgumentError("a picture came with 3 bytes");
    }
  };
  ASSERT_NO_THROW(viewer_.ShowFile("/odd/alloc.bmp"));
  EXPECT_EQ(Window().Text(),
            "\"alloc.bmp\" cannot be shown: there is not enough memory to read it");
  // A source's picture without a whole palette is refused by the viewer itself.
  auto broken = Hero();
  broken.palette.resize(5);
  pictures_.pictures["/odd/broken.bmp"] = broken;
  ASSERT_NO_THROW(viewer_.FollowFile("/odd/broken.bmp"));
  EXPECT_THAT(Window().Text(), ::testing::StartsWith("\"broken.bmp\" cannot be shown: "));
  ASSERT_NO_THROW(viewer_.FollowFile("/odd/mismatch.bmp"));
  EXPECT_EQ(Window().Text(), "\"mismatch.bmp\" cannot be shown: a picture came with 3 bytes");
}

TEST_F(FrmViewerTest, ArrowsAndTheWheelScrollALargePictureAndStopAtItsEdges) {
  viewer_.ShowFile("/sprites/wide.bmp");
  EXPECT_EQ(viewer_.Zoom(), 3);  // 360 / 100
  Window().TurnWheel(5, true);   // 8x: 800 x 800 in 400 x 360
  ASSERT_EQ(viewer_.Zoom(), 8);
  // Centred: picture pixel (25, 27.5) is at the middle, (50, 50) at its left.
  const auto pixel = [&](std::int32_t x, std::int32_t y) {
    const winsys::Picture& shown = Window().Shown();
    const std::size_t at = (static_cast<std::size_t>(y) * 400 + static_cast<std::size_t>(x)) * 3;
    return shown.rgb[at];  // red: the palette index
  };
  const auto index = [](std::int32_t x, std::int32_t y) { return 1 + (x + 100 * y) % 255; };
  EXPECT_EQ(pixel(0, 0), index(25, 27));  // 400 - 800 / 2 = -200 = 25 pixels; 180 - 400 = -220
  for (int i = 0; i < 10; ++i) {
    Window().PressKey(PictureKey::kLeft);
    Window().PressKey(PictureKey::kUp);
  }
  EXPECT_EQ(pixel(0, 0), index(0, 0));  // at the top left corner, and no further
  for (int i = 0; i < 20; ++i) {
    Window().TurnWheel(-1);               // down
    Window().TurnWheel(-1, false, true);  // right
  }
  EXPECT_EQ(pixel(399, 359), index(99, 99));  // at the bottom right corner
  Window().PressKey(PictureKey::kRight);
  EXPECT_EQ(pixel(399, 359), index(99, 99));
  // A zoomed view stays around the same point.
  Window().PressKey(PictureKey::kZoomOut);
  EXPECT_EQ(pixel(399, 359), index(99, 99));
}

TEST_F(FrmViewerTest, CloseHidesAndForgetsAndAFreshShowFitsAgain) {
  viewer_.ShowFile("/sprites/hero.bmp");
  Window().PressKey(PictureKey::kZoomIn);
  viewer_.Close();
  EXPECT_FALSE(viewer_.Showing());
  EXPECT_EQ(viewer_.Path(), "");
  viewer_.ShowFile("/sprites/hero.bmp");
  EXPECT_EQ(viewer_.Zoom(), 8);
  EXPECT_EQ(Window().Activations(), 2);
}

}  // namespace
}  // namespace sprite::testing

namespace sprite::testing {
namespace {

// An archive of five 2 x 1 entries, entry k all of index k, and a sixth whose
// coded stream ends in a lone zero-run marker.
Bytes FiveAndABrokenEntry() {
  Bytes archive{0x53, 0x50, 1, 2, 6, 0, 0, 0};
  for (std::uint8_t k = 1; k <= 5; ++k) {
    archive.insert(archive.end(), {2, 0, 1, 0, 2, 0, k, k});
  }
  archive.insert(archive.end(), {2, 0, 1, 0, 1, 0, 0});
  archive.resize(archive.size() + 1024, 0);
  return archive;
}

class FrmViewerArchiveTest : public FrmViewerTest {
 protected:
  FrmViewerArchiveTest() {
    files_.files["a.spr"] = FiveAndABrokenEntry();
    viewer_.ShowArchive(std::make_unique<pipeline::ArchiveEntries>(files_, "a.spr"));
  }
  std::uint8_t ShownIndex() { return viewer_.Shown() ? viewer_.Shown()->pixels.at(0) : 0; }
  void Press(std::initializer_list<PictureKey> keys) {
    for (const PictureKey key : keys) {
      Window().PressKey(key);
    }
  }

  fakes::MemoryFileSystem files_;
};

TEST_F(FrmViewerArchiveTest, KeysStepThroughTheEntriesAndStopAtTheEnds) {
  EXPECT_EQ(Window().Caption(), "a.spr - Sprite Viewer");
  EXPECT_EQ(Window().Text(),
            "a.spr: entry 1 of 6, 2 \u00D7 1 pixels, 1 colour, shown at 16\u00D7; Space plays at "
            "10 frames a second");
  const struct {
    std::initializer_list<PictureKey> keys;
    std::uint8_t shown;
  } steps[] = {
      {{PictureKey::kRight, PictureKey::kDown}, 3}, {{PictureKey::kLeft}, 2},
      {{PictureKey::kUp, PictureKey::kUp}, 1},      {{PictureKey::kPageDown}, 0},
      {{PictureKey::kPageUp, PictureKey::kEnd}, 0}, {{PictureKey::kHome}, 1},
  };
  for (const auto& step : steps) {
    Press(step.keys);
    EXPECT_EQ(ShownIndex(), step.shown) << Window().Text();
  }
  // An archive changed meanwhile (its first entry gone) is read anew.
  Bytes changed = FiveAndABrokenEntry();
  changed.erase(changed.begin() + 8, changed.begin() + 16);
  changed[4] = 5;
  files_.files["a.spr"] = changed;
  Press({PictureKey::kRight});
  EXPECT_EQ(ShownIndex(), 3);
  EXPECT_THAT(Window().Text(), ::testing::StartsWith("a.spr: entry 2 of 5, "));
  Press({PictureKey::kEnd});
  EXPECT_EQ(Window().Text(),
            "a.spr: entry 5 of 5 cannot be shown: entry 5 at offset 40: the coded stream of 1 "
            "byte ends with a zero-run marker at byte 1 and no count byte after it; Space plays "
            "at 10 frames a second");
  // One that lost entries past the one shown steps to its last one.
  Bytes shorter = changed;
  shorter[4] = 2;
  files_.files["a.spr"] = shorter;
  Press({PictureKey::kRight});
  EXPECT_THAT(Window().Text(), ::testing::StartsWith("a.spr: entry 2 of 2, "));
  changed[5] = 0xFF;  // a count of -1: the header is damaged, not the number asked for
  files_.files["a.spr"] = changed;
  Press({PictureKey::kHome});
  EXPECT_THAT(Window().Text(), ::testing::HasSubstr("cannot be shown: the header counts -251 "
                                                    "entries; a count cannot be negative"));
}

TEST_F(FrmViewerArchiveTest, SpacePlaysRoundAtARateTheBracketsChange) {
  Press({PictureKey::kEnd, PictureKey::kLeft, PictureKey::kPlay});
  EXPECT_EQ(Window().TimerMs(), 100);
  EXPECT_THAT(Window().Text(), ::testing::EndsWith("; playing at 10 frames a second"));
  Window().Tick();
  Window().Tick();
  EXPECT_EQ(ShownIndex(), 1);  // past the last entry comes the first
  Press({PictureKey::kFaster, PictureKey::kFaster});
  EXPECT_EQ(Window().TimerMs(), 1000 / 15);
  EXPECT_EQ(ShownIndex(), 1);
  for (int i = 0; i < 20; ++i) {
    Press({PictureKey::kSlower});
  }
  EXPECT_EQ(Window().TimerMs(), 1000);
  EXPECT_THAT(Window().Text(), ::testing::EndsWith("; playing at 1 frame a second"));
  Press({PictureKey::kRight});  // a step stops the playing
  EXPECT_EQ(Window().TimerMs(), 0);
  EXPECT_EQ(ShownIndex(), 2);
  Press({PictureKey::kPlay, PictureKey::kEscape});
  EXPECT_EQ(Window().TimerMs(), 0);
  EXPECT_EQ(viewer_.Player(), nullptr);
}

}  // namespace
}  // namespace sprite::testing
