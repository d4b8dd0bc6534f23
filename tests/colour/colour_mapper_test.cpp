#include "colour/colour_mapper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <span>
#include <vector>

namespace sprite::colour {
namespace {

constexpr Rgb kSeeThrough{0, 0, 0};

std::uint8_t Byte(std::mt19937& random) {
  return static_cast<std::uint8_t>(random());
}

// A picture of `width` × `height` pixels of one colour, or see-through where `hole` says.
struct Picture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;

  Picture(std::uint32_t w, std::uint32_t h, Rgb fill) : width(w), height(h) {
    for (std::size_t i = 0; i < std::size_t{w} * h; ++i) {
      rgba.insert(rgba.end(), {fill.red, fill.green, fill.blue, 255});
    }
  }
  void Set(std::uint32_t x, std::uint32_t y, Rgb c, std::uint8_t alpha = 255) {
    std::uint8_t* p = rgba.data() + 4 * (std::size_t{y} * width + x);
    p[0] = c.red, p[1] = c.green, p[2] = c.blue, p[3] = alpha;
  }
  // Every pixel from `paint`, which gives a colour and an alpha, row by row.
  template <typename Paint>
  void PaintAll(Paint paint) {
    for (std::uint32_t y = 0; y < height; ++y) {
      for (std::uint32_t x = 0; x < width; ++x) {
        const auto [colour, alpha] = paint();
        Set(x, y, colour, alpha);
      }
    }
  }
  RgbaPicture View() const { return {width, height, rgba}; }
};

std::vector<std::uint8_t> Mapped(ColourMapper& mapper, const Picture& picture, Dither dither,
                                 MapReport* report = nullptr) {
  std::vector<std::uint8_t> out(std::size_t{picture.width} * picture.height);
  const MapReport r = mapper.Map(picture.View(), 128, dither, out);
  if (report) {
    *report = r;
  }
  return out;
}

// Cases where the weighted RGB distance picks the other entry, and the eye
// agrees with OKLab.
TEST(ColourMapper, PicksTheNearestColourAsTheEyeSeesIt) {
  struct Case {
    Rgb colour, first, second;
    std::uint8_t expected;
  };
  const Case cases[] = {
      {{20, 20, 120}, {60, 60, 60}, {0, 0, 200}, 2},
      {{56, 172, 49}, {52, 145, 91}, {25, 196, 88}, 2},
      {{195, 204, 41}, {96, 255, 149}, {220, 135, 128}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << int{c.colour.red} << "," << int{c.colour.green} << "," << int{c.colour.blue});
    const Rgb palette[] = {kSeeThrough, c.first, c.second};
    ColourMapper mapper(palette);
    EXPECT_EQ(mapper.Nearest(c.colour), c.expected);
  }
}

TEST(ColourMapper, NeverTakesIndexZeroAndTiesGoLow) {
  const Rgb palette[] = {{0, 0, 0}, {255, 255, 255}, {10, 10, 10}, {200, 0, 0}, {10, 10, 10}};
  ColourMapper mapper(palette);
  EXPECT_EQ(mapper.Nearest({0, 0, 0}), 2);
  EXPECT_EQ(mapper.Exact({10, 10, 10}), 2);
  EXPECT_EQ(mapper.Exact({0, 0, 0}), std::nullopt);
  EXPECT_EQ(mapper.Nearest({12, 11, 10}), 2);
}

TEST(ColourMapper, LeavesArtDrawnInThePaletteAsItIs) {
  const Rgb palette[] = {kSeeThrough, {0, 0, 0}, {255, 255, 255}, {200, 30, 30}, {30, 30, 200}};
  Picture picture(13, 9, {200, 30, 30});
  std::mt19937 random(3);
  picture.PaintAll([&] {
    const std::size_t pick = Byte(random) % 5u;
    return std::pair{palette[pick], static_cast<std::uint8_t>(pick == 0 ? 0 : 255)};
  });
  for (const Dither dither : {Dither::kNone, Dither::kFloydSteinberg, Dither::kOrdered}) {
    SCOPED_TRACE(DitherName(dither));
    ColourMapper mapper(palette);
    MapReport report;
    const auto out = Mapped(mapper, picture, dither, &report);
    for (std::size_t i = 0; i < out.size(); ++i) {
      const std::uint8_t* p = picture.rgba.data() + 4 * i;
      ASSERT_EQ(out[i], p[3] == 0 ? 0 : *mapper.Exact({p[0], p[1], p[2]})) << i;
    }
    EXPECT_EQ(report.moved, 0u);
    EXPECT_EQ(report.largestSquared, 0);
  }
}

// Grey 128 lies 0.600 of the way from black to white in OKLab lightness: both
// dithers mix the two in about that share, where plain nearest takes white.
TEST(ColourMapper, DithersMixTheTwoNearestColoursInProportion) {
  const Rgb palette[] = {kSeeThrough, {0, 0, 0}, {255, 255, 255}};
  const Picture grey(32, 32, {128, 128, 128});
  struct Case {
    Dither dither;
    std::size_t white;
  };
  // Ordered: the cells whose threshold (k + ½) / 64 is below 0.5999, 38 of
  // 64. Floyd–Steinberg: near 0.6 of 1024.
  for (const Case c : {Case{Dither::kNone, 1024}, Case{Dither::kOrdered, 38 * 16},
                       Case{Dither::kFloydSteinberg, 614}}) {
    SCOPED_TRACE(DitherName(c.dither));
    ColourMapper mapper(palette);
    MapReport report;
    const auto out = Mapped(mapper, grey, c.dither, &report);
    const auto white = static_cast<std::size_t>(std::count(out.begin(), out.end(), 2));
    EXPECT_NEAR(static_cast<double>(white), static_cast<double>(c.white), 6.0);
    EXPECT_EQ(report.moved, 1024u);
    EXPECT_NEAR(report.LargestDistance(), c.dither == Dither::kNone ? 0.400 : 0.600, 0.001);
  }
}

// A see-through column splits a picture in two halves that dither alone: no
// error crosses it either way.
TEST(ColourMapper, FloydSteinbergSpreadsNoErrorThroughSeeThroughPixels) {
  const Rgb palette[] = {kSeeThrough, {0, 0, 0}, {255, 255, 255}, {255, 0, 0}};
  Picture whole(17, 12, {90, 90, 90});
  Picture rightAlone = whole;
  std::mt19937 random(11);
  for (std::uint32_t y = 0; y < 12; ++y) {
    for (std::uint32_t x = 0; x < 8; ++x) {
      whole.Set(x, y, {Byte(random), 20, Byte(random)});
      rightAlone.Set(x, y, kSeeThrough, 0);
    }
    whole.Set(8, y, {255, 0, 255}, 0);
    rightAlone.Set(8, y, {255, 0, 255}, 0);
  }
  ColourMapper mapper(palette);
  const auto a = Mapped(mapper, whole, Dither::kFloydSteinberg);
  const auto b = Mapped(mapper, rightAlone, Dither::kFloydSteinberg);
  for (std::uint32_t y = 0; y < 12; ++y) {
    for (std::uint32_t x = 8; x < 17; ++x) {
      ASSERT_EQ(a[y * 17 + x], b[y * 17 + x]) << x << "," << y;
    }
  }
}

// Floyd–Steinberg as plainly as it can be written: every entry looked at for
// the middle of the asked colour's step of 1/64 OKLab unit, the error carried
// in sixteenths over a whole picture's grid.
std::vector<std::uint8_t> PlainFloydSteinberg(std::span<const Rgb> palette, const Picture& picture,
                                              MapReport& report) {
  const auto channels = [](const Lab& v) { return std::array<std::int32_t, 3>{v.l, v.a, v.b}; };
  const int w = static_cast<int>(picture.width), h = static_cast<int>(picture.height);
  const auto at = [w](int x, int y) { return static_cast<std::size_t>(y * w + x); };
  std::vector<std::array<std::int32_t, 3>> error(at(0, h), {0, 0, 0});
  std::vector<std::uint8_t> out(error.size());
  const std::array<std::int32_t, 3> low = {0, -15 << 10, -20 << 10};
  for (int y = 0; y < h; ++y) {
    const int dx = y % 2 == 0 ? 1 : -1;
    for (int step = 0; step < w; ++step) {
      const int x = dx == 1 ? step : w - 1 - step;
      const std::size_t i = at(x, y);
      const std::uint8_t* p = picture.rgba.data() + 4 * i;
      const Rgb colour{p[0], p[1], p[2]};
      const auto exact = std::find(palette.begin() + 1, palette.end(), colour);
      if (p[3] < 128 || exact != palette.end()) {
        out[i] = static_cast<std::uint8_t>(p[3] < 128 ? 0 : exact - palette.begin());
        continue;
      }
      const Lab own = ToOklab(colour);
      const auto ownAt = channels(own), lowAt = channels(kSrgbLow), highAt = channels(kSrgbHigh);
      std::array<std::int32_t, 3> asked{}, middle{};
      for (std::size_t c = 0; c < 3; ++c) {
        asked[c] = std::clamp(ownAt[c] + ((error[i][c] + 8) >> 4), lowAt[c], highAt[c]);
        middle[c] = low[c] + (((asked[c] - low[c]) >> 10) << 10) + 512;
      }
      const Lab mid{middle[0], middle[1], middle[2]};
      std::size_t best = 1;
      for (std::size_t e = 2; e < palette.size(); ++e) {
        if (SquaredDistance(mid, ToOklab(palette[e])) <
            SquaredDistance(mid, ToOklab(palette[best]))) {
          best = e;
        }
      }
      out[i] = static_cast<std::uint8_t>(best);
      const Lab taken = ToOklab(palette[best]);
      ++report.moved;
      report.largestSquared = std::max(report.largestSquared, SquaredDistance(own, taken));
      const auto takenAt = channels(taken);
      const auto spread = [&](int tx, int ty, std::int32_t weight) {
        if (tx >= 0 && tx < w && ty < h) {
          for (std::size_t c = 0; c < 3; ++c) {
            error[at(tx, ty)][c] += weight * (asked[c] - takenAt[c]);
          }
        }
      };
      spread(x + dx, y, 7);
      spread(x - dx, y + 1, 3);
      spread(x, y + 1, 5);
      spread(x + dx, y + 1, 1);
    }
  }
  return out;
}

// Pictures of few colours and of many, with see-through holes and pixels
// already in the palette, against palettes of few entries and of many, some
// of them twice.
TEST(ColourMapper, FloydSteinbergIsThePlainAlgorithm) {
  std::mt19937 random(17);
  for (const std::size_t entries : {3u, 17u, 256u}) {
    std::vector<Rgb> palette = {kSeeThrough};
    while (palette.size() < entries) {
      palette.push_back(palette.size() % 7 == 3 ? palette[palette.size() / 2]
                                                : Rgb{Byte(random), Byte(random), Byte(random)});
    }
    for (const unsigned shades : {4u, 256u}) {
      SCOPED_TRACE(testing::Message() << entries << " entries, " << shades << " shades");
      const auto side = [&] { return static_cast<std::uint32_t>(1 + random() % 64); };
      Picture picture(side(), side(), kSeeThrough);
      picture.PaintAll([&] {
        const auto shade = [&] {
          return static_cast<std::uint8_t>(random() % shades * (256 / shades));
        };
        const unsigned kind = random() % 8;
        const Rgb colour =
            kind == 0 ? palette[1 + random() % (entries - 1)] : Rgb{shade(), shade(), shade()};
        return std::pair{colour, static_cast<std::uint8_t>(kind == 1 ? 0 : 255)};
      });
      MapReport expected;
      const auto plain = PlainFloydSteinberg(palette, picture, expected);
      ColourMapper mapper(palette);
      MapReport report;
      EXPECT_EQ(Mapped(mapper, picture, Dither::kFloydSteinberg, &report), plain);
      EXPECT_EQ(report.moved, expected.moved);
      EXPECT_EQ(report.largestSquared, expected.largestSquared);
    }
  }
}

// Indexes written over the picture's own bytes come out as in a buffer of their own.
TEST(ColourMapper, MapsInPlace) {
  const Rgb palette[] = {kSeeThrough, {0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 90, 255}};
  Picture picture(23, 19, {0, 0, 0});
  std::mt19937 random(5);
  picture.PaintAll([&] {
    return std::pair{Rgb{Byte(random), Byte(random), 80},
                     static_cast<std::uint8_t>(Byte(random) % 4 == 0 ? 0 : 255)};
  });
  for (const Dither dither : {Dither::kNone, Dither::kFloydSteinberg, Dither::kOrdered}) {
    SCOPED_TRACE(DitherName(dither));
    ColourMapper mapper(palette);
    const auto apart = Mapped(mapper, picture, dither);
    Picture inPlace = picture;
    mapper.Map(inPlace.View(), 128, dither, inPlace.rgba);
    EXPECT_TRUE(std::equal(apart.begin(), apart.end(), inPlace.rgba.begin()));
  }
}

}  // namespace
}  // namespace sprite::colour
