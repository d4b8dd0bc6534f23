#include "colour/quantiser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "colour/colour_mapper.h"
#include "common/error.h"

namespace sprite::colour {
namespace {

std::uint8_t Near(std::mt19937& random, int centre) {
  return static_cast<std::uint8_t>(centre + static_cast<int>(random() % 9) - 4);
}

TEST(Quantiser, KeepsTheColoursWhenTheyFit) {
  ColourHistogram histogram;
  histogram.Add(0, {250, 250, 250}, 5);
  histogram.Add(0, {10, 10, 10});
  histogram.Add(1, {200, 0, 0}, 2);
  EXPECT_EQ(Quantise(histogram, 3), (std::vector<Rgb>{{10, 10, 10}, {200, 0, 0}, {250, 250, 250}}));
  EXPECT_TRUE(Quantise(ColourHistogram{}, 8).empty());
  EXPECT_THROW(Quantise(histogram, 0), InvalidArgumentError);
  EXPECT_THROW(Quantise(histogram, 256), InvalidArgumentError);
}

// Four tight clouds of colours, each of many shades: four colours, one in each.
TEST(Quantiser, FindsTheCloudsOfColours) {
  const Rgb centres[] = {{40, 40, 200}, {200, 60, 40}, {90, 180, 90}, {230, 230, 120}};
  std::mt19937 random(2);
  ColourHistogram histogram;
  for (int i = 0; i < 4000; ++i) {
    const Rgb& c = centres[i % 4];
    histogram.Add(static_cast<std::uint32_t>(i),
                  {Near(random, c.red), Near(random, c.green), Near(random, c.blue)});
  }
  const std::vector<Rgb> palette = Quantise(histogram, 4);
  ASSERT_EQ(palette.size(), 4u);
  for (const Rgb& centre : centres) {
    const auto nearest = std::ranges::min(
        palette, {}, [&](const Rgb& p) { return SquaredDistance(ToOklab(p), ToOklab(centre)); });
    EXPECT_LT(Distance(SquaredDistance(ToOklab(nearest), ToOklab(centre))), 0.01);
  }
}

// The same palette from the same colours on every system: this pin holds for
// the Linux build and the Windows build alike.
TEST(Quantiser, ChoosesTheSamePaletteEverywhere) {
  std::mt19937 random(4);
  ColourHistogram histogram;
  for (int i = 0; i < 20000; ++i) {
    const auto shade = static_cast<int>(random() % 200);
    histogram.Add(static_cast<std::uint32_t>(i % 50),
                  {static_cast<std::uint8_t>(shade + 20), Near(random, shade / 2 + 60),
                   static_cast<std::uint8_t>(random())},
                  1u + random() % 5u);
  }
  std::uint64_t hash = 14695981039346656037ull;
  for (const Rgb& c : Quantise(histogram, 255)) {
    hash = (hash ^ KeyOf(c)) * 1099511628211ull;
  }
  EXPECT_EQ(hash, 2454432292163181083u);
}

}  // namespace
}  // namespace sprite::colour
