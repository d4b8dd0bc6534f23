#include "colour/oklab.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace sprite::colour {
namespace {

// FNV-1a over the words given.
struct Fnv {
  std::uint64_t hash = 14695981039346656037ull;
  void Add(std::int64_t word) {
    for (int byte = 0; byte < 8; ++byte) {
      hash = (hash ^ ((static_cast<std::uint64_t>(word) >> (8 * byte)) & 0xFF)) * 1099511628211ull;
    }
  }
};

TEST(Oklab, MatchesThePublishedValues) {
  struct Case {
    Rgb colour;
    double l, a, b;
  };
  // Published OKLab values of the sRGB corners.
  const Case cases[] = {
      {{255, 255, 255}, 1.0, 0.0, 0.0},
      {{0, 0, 0}, 0.0, 0.0, 0.0},
      {{255, 0, 0}, 0.627955, 0.224863, 0.125846},
      {{0, 255, 0}, 0.866440, -0.233888, 0.179498},
      {{0, 0, 255}, 0.452014, -0.032457, -0.311528},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << int{c.colour.red} << "," << int{c.colour.green} << "," << int{c.colour.blue});
    const Lab lab = ToOklab(c.colour);
    const double unit = kLabOne;
    EXPECT_NEAR(lab.l / unit, c.l, 4e-5);
    EXPECT_NEAR(lab.a / unit, c.a, 4e-5);
    EXPECT_NEAR(lab.b / unit, c.b, 4e-5);
  }
}

TEST(Oklab, NearestRgbFindsEveryColourAgain) {
  for (int r = 0; r < 256; r += 5) {
    for (int g = 0; g < 256; g += 11) {
      for (int b = 0; b < 256; b += 7) {
        const Rgb c{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                    static_cast<std::uint8_t>(b)};
        ASSERT_EQ(NearestRgb(ToOklab(c)), c) << r << "," << g << "," << b;
      }
    }
  }
  // Points past the sRGB colours come back to the nearest edge.
  EXPECT_EQ(NearestRgb({2 * kLabOne, 0, 0}), (Rgb{255, 255, 255}));
  EXPECT_EQ(NearestRgb({-kLabOne, 0, 0}), (Rgb{0, 0, 0}));
}

// The same numbers on every system and C runtime: these pins hold for the
// Linux build and the Windows build alike (its tests run under Wine).
TEST(Oklab, GivesTheSameValuesEverywhere) {
  Fnv linear;
  for (int v = 0; v < 256; ++v) {
    linear.Add(LinearLight(static_cast<std::uint8_t>(v)));
  }
  Fnv lab;
  for (int r = 0; r < 256; r += 3) {
    for (int g = 0; g < 256; g += 3) {
      for (int b = 0; b < 256; b += 3) {
        const Lab value = ToOklab({static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                   static_cast<std::uint8_t>(b)});
        lab.Add(value.l);
        lab.Add(value.a);
        lab.Add(value.b);
      }
    }
  }
  EXPECT_EQ(linear.hash, 14952415587461704739u);
  EXPECT_EQ(lab.hash, 7446285926205342068u);
}

}  // namespace
}  // namespace sprite::colour
