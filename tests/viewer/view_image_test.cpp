// The viewer's drawing without a window: steps, fitting, placing, the
// checkerboard, colours.
#include "viewer/view_image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "common/error.h"
#include "fakes/fake_picture_source.h"

namespace sprite::testing {
namespace {

using viewer::FitZoom;
using viewer::kMaxZoom;
using viewer::kMinZoom;
using viewer::Placement;
using winsys::PixelSize;

using Rgb = std::array<std::uint8_t, 3>;

Rgb At(const winsys::Picture& view, std::int32_t x, std::int32_t y) {
  const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(view.width) +
                          static_cast<std::size_t>(x)) *
                         3;
  return {view.rgb[at], view.rgb[at + 1], view.rgb[at + 2]};
}

constexpr Rgb FromValue(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value)};
}
constexpr Rgb kLight = FromValue(viewer::kCheckerLight);
constexpr Rgb kDark = FromValue(viewer::kCheckerDark);
constexpr Rgb kBackground = FromValue(viewer::kBackground);

// The colour MakeStoredPicture gives palette entry `index`.
Rgb Entry(std::uint8_t index) {
  return {index, static_cast<std::uint8_t>(255 - index), static_cast<std::uint8_t>(index / 2)};
}

viewer::IndexedPicture Indexed(std::int32_t width, std::int32_t height,
                               const std::function<std::uint8_t(std::int32_t, std::int32_t)>& f) {
  return viewer::FromStored(fakes::MakeStoredPicture(width, height, f));
}

TEST(FitZoomTest, TakesTheLargestWholeStepThatFitsBothWays) {
  EXPECT_EQ(FitZoom(10, 6, {100, 60}), 10);  // exactly, both ways
  EXPECT_EQ(FitZoom(10, 6, {99, 60}), 9);    // one pixel short across
  EXPECT_EQ(FitZoom(10, 7, {100, 60}), 8);   // the height decides
  EXPECT_EQ(FitZoom(10, 10, {160, 160}), 16);
  EXPECT_EQ(FitZoom(10, 10, {159, 160}), 15);
  EXPECT_EQ(FitZoom(1, 1, {4000, 4000}), kMaxZoom);  // never past 16
  EXPECT_EQ(FitZoom(101, 1, {100, 60}), kMinZoom);   // too large even at 1
  EXPECT_EQ(FitZoom(32767, 127, {400, 340}), kMinZoom);
  EXPECT_EQ(FitZoom(10, 10, {0, 0}), kMinZoom);  // a minimised window
  EXPECT_EQ(FitZoom(10, 10, {-5, 100}), kMinZoom);
  EXPECT_EQ(FitZoom(0, 10, {100, 100}), kMinZoom);  // nothing to fit
}

TEST(CountColoursTest, CountsEachPaletteEntryUsedOnce) {
  EXPECT_EQ(viewer::CountColours({}), 0);
  EXPECT_EQ(viewer::CountColours(Bytes{0, 0, 0}), 1);
  EXPECT_EQ(viewer::CountColours(Bytes{0, 5, 5, 255, 5}), 3);
  Bytes all(512);
  for (std::size_t i = 0; i < all.size(); ++i) {
    all[i] = static_cast<std::uint8_t>(i);
  }
  EXPECT_EQ(viewer::CountColours(all), 256);
}

TEST(FromStoredTest, DropsTheSignOfTheHeightAndRefusesABadPalette) {
  const auto kept = Indexed(
      3, -2, [](std::int32_t x, std::int32_t y) { return static_cast<std::uint8_t>(x + 3 * y); });
  EXPECT_EQ(kept.width, 3);
  EXPECT_EQ(kept.height, 2);
  EXPECT_EQ(kept.pixels, (Bytes{0, 1, 2, 3, 4, 5}));

  auto shortPalette = fakes::MakeStoredPicture(3, 2, [](auto, auto) { return 1; });
  shortPalette.palette.resize(1020);
  EXPECT_THROW(viewer::FromStored(shortPalette), InvalidArgumentError);
}

// A bitmap whose pixel area holds other rows than its height says is stored
// with a warning, and its entry keeps both: the rows held are what shows, as
// decode --png writes them.
TEST(FromStoredTest, ShowsTheRowsHeldWhereTheHeightSaysOthers) {
  struct Case {
    const char* name;
    std::int32_t width;
    std::int32_t height;
    Bytes rows;
    std::int32_t shownHeight;
    Bytes shown;
  };
  const Case cases[] = {
      {"a row more", 2, 1, {1, 2, 3, 4}, 2, {1, 2, 3, 4}},
      {"rows fewer", 2, 3, {1, 2, 3, 4}, 2, {1, 2, 3, 4}},
      {"a part row", 2, 1, {1, 2, 3}, 2, {1, 2, 3, 0}},
      {"top-down, a row more", 2, -1, {1, 2, 3, 4}, 2, {3, 4, 1, 2}},
      {"no pixels", 2, 5, {}, 1, {0, 0}},
      {"1 x 32767 holding 40000 rows", 1, 32767, Bytes(40000, 7), 40000, Bytes(40000, 7)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto picture = fakes::MakeStoredPicture(c.width, 1, [](auto, auto) { return 0; });
    picture.height = c.height;
    picture.storedRows = c.rows;
    const viewer::IndexedPicture kept = viewer::FromStored(picture);
    EXPECT_EQ(kept.width, c.width);
    EXPECT_EQ(kept.height, c.shownHeight);
    EXPECT_EQ(kept.pixels, c.shown);
  }
}

TEST(PlacePictureTest, CentresWhatIsSmallerAndCoversTheAreaWithWhatIsLarger) {
  viewer::PicturePoint centre{5, 3};
  // 10 x 6 at 4x is 40 x 24 in 100 x 60: centred both ways, whatever the centre was.
  Placement place = viewer::PlacePicture(10, 6, 4, {100, 60}, centre);
  EXPECT_EQ(place.left, 30);
  EXPECT_EQ(place.top, 18);
  centre = {0, 0};
  place = viewer::PlacePicture(10, 6, 4, {100, 60}, centre);
  EXPECT_EQ(place.left, 30);
  EXPECT_DOUBLE_EQ(centre.x, 5);

  // 100 x 100 at 16x is 1600 x 1600 in 400 x 300: the centre point lies mid-area.
  centre = {50, 50};
  place = viewer::PlacePicture(100, 100, 16, {400, 300}, centre);
  EXPECT_EQ(place.left, 200 - 800);
  EXPECT_EQ(place.top, 150 - 800);
  // A centre past an edge stops at that edge, and moves there.
  centre = {-30, 1000};
  place = viewer::PlacePicture(100, 100, 16, {400, 300}, centre);
  EXPECT_EQ(place.left, 0);
  EXPECT_EQ(place.top, 300 - 1600);
  EXPECT_DOUBLE_EQ(centre.x, 200.0 / 16);
  EXPECT_DOUBLE_EQ(centre.y, 100 - 150.0 / 16);
}

TEST(RenderViewTest, ScalesEachPixelByTheStepAndLeavesTheRestBackground) {
  // Index 0 then index 7, at 3x, placed at (1, 1) in 9 x 5.
  const auto picture = Indexed(2, 1, [](std::int32_t x, std::int32_t) { return x == 0 ? 0 : 7; });
  const winsys::Picture view = viewer::RenderView(picture, 3, {1, 1}, {9, 5});
  ASSERT_EQ(view.width, 9);
  ASSERT_EQ(view.height, 5);
  ASSERT_EQ(view.rgb.size(), 9u * 5 * 3);
  for (std::int32_t y = 0; y < 5; ++y) {
    for (std::int32_t x = 0; x < 9; ++x) {
      SCOPED_TRACE("x " + std::to_string(x) + ", y " + std::to_string(y));
      const bool inside = x >= 1 && x < 7 && y >= 1 && y < 4;
      if (!inside) {
        EXPECT_EQ(At(view, x, y), kBackground);
      } else if (x < 4) {
        EXPECT_EQ(At(view, x, y), kLight);  // index 0: the first square of the checkerboard
      } else {
        EXPECT_EQ(At(view, x, y), Entry(7));
      }
    }
  }
}

TEST(RenderViewTest, TheCheckerboardLiesOnlyUnderIndexZeroInSquaresOfEightScreenPixels) {
  // Left half index 0, right half index 255 (its own colour, never checkered);
  // palette entry 0's own colour (green) must not show.
  const auto picture = Indexed(4, 2, [](std::int32_t x, std::int32_t) { return x < 2 ? 0 : 255; });
  const winsys::Picture view = viewer::RenderView(picture, 16, {0, 0}, {64, 32});
  for (std::int32_t y = 0; y < 32; ++y) {
    for (std::int32_t x = 0; x < 64; ++x) {
      const Rgb expected = x >= 32 ? Entry(255) : (((x / 8) + (y / 8)) % 2 == 0 ? kLight : kDark);
      ASSERT_EQ(At(view, x, y), expected) << "x " << x << ", y " << y;
    }
  }
  // Anchored at the picture: moved by 3 pixels, the squares move with it.
  const winsys::Picture moved = viewer::RenderView(picture, 16, {3, 0}, {64, 32});
  EXPECT_EQ(At(moved, 3 + 7, 0), kLight);
  EXPECT_EQ(At(moved, 3 + 8, 0), kDark);
  EXPECT_EQ(At(moved, 2, 0), kBackground);
}

TEST(RenderViewTest, APictureLargerThanTheAreaIsDrawnFromWhereItIsPlaced) {
  const auto picture = Indexed(10, 10, [](std::int32_t x, std::int32_t y) {
    return static_cast<std::uint8_t>(1 + x + 10 * y);
  });
  // At 4x, scrolled so that picture pixel (3, 2) starts at area pixel (1, 0).
  const winsys::Picture view = viewer::RenderView(picture, 4, {-11, -8}, {8, 4});
  EXPECT_EQ(At(view, 0, 0), Entry(1 + 2 + 20));
  EXPECT_EQ(At(view, 1, 0), Entry(1 + 3 + 20));
  EXPECT_EQ(At(view, 4, 3), Entry(1 + 3 + 20));
  EXPECT_EQ(At(view, 5, 3), Entry(1 + 4 + 20));
}

TEST(RenderViewTest, OnlyTheAreaIsMadeHoweverLargeThePictureOrTheWindow) {
  // The widest picture an entry can hold, at the largest step: 524272 pixels
  // across when scaled, of which only the area is made.
  const auto picture = Indexed(
      32767, 127, [](std::int32_t x, std::int32_t) { return static_cast<std::uint8_t>(x % 3); });
  const winsys::Picture view = viewer::RenderView(picture, kMaxZoom, {0, 0}, {800, 600});
  EXPECT_EQ(view.rgb.size(), 800u * 600 * 3);
  // A window claiming to be enormous gets at most kMaxAreaSide each way.
  const winsys::Picture capped = viewer::RenderView(picture, 1, {0, 0}, {1000000, 20});
  EXPECT_EQ(capped.width, viewer::kMaxAreaSide);
  EXPECT_EQ(capped.height, 20);
  EXPECT_TRUE(viewer::RenderView(picture, 1, {0, 0}, {0, 300}).Empty());
  EXPECT_TRUE(viewer::RenderView(picture, 1, {0, 0}, {0, 300}).rgb.empty());
  // A step out of range is taken as the nearest one.
  const auto one = Indexed(1, 1, [](auto, auto) { return 9; });
  EXPECT_EQ(viewer::RenderView(one, 99, {0, 0}, {20, 20}).rgb,
            viewer::RenderView(one, kMaxZoom, {0, 0}, {20, 20}).rgb);
}

TEST(RenderViewTest, NoPictureIsAllBackground) {
  const winsys::Picture view = viewer::RenderView({}, 1, {}, {5, 4});
  ASSERT_EQ(view.rgb.size(), 5u * 4 * 3);
  for (std::int32_t y = 0; y < 4; ++y) {
    for (std::int32_t x = 0; x < 5; ++x) {
      EXPECT_EQ(At(view, x, y), kBackground);
    }
  }
}

}  // namespace
}  // namespace sprite::testing
