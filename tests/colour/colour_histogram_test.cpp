#include "colour/colour_histogram.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace sprite::colour {
namespace {

using Own = ColourHistogram::OwnColours;

TEST(ColourHistogram, CountsOpaquePixelsOnly) {
  ColourHistogram histogram;
  const std::vector<std::uint8_t> rgba = {
      10, 20, 30, 255, 10, 20, 30, 255, 10, 20, 30, 0, 99, 99, 99, 127, 99, 99, 99, 128,
  };
  histogram.AddPixels(0, rgba, 128);
  const auto bins = histogram.Bins();
  ASSERT_EQ(bins.size(), 2u);
  EXPECT_EQ(bins[0].mean, (Rgb{10, 20, 30}));
  EXPECT_EQ(bins[0].pixels, 2u);
  EXPECT_EQ(bins[1].pixels, 1u);
}

// A picture's bins are gathered with 32-bit sums: a picture of one colour
// whose sums pass 2^32 still has its exact count and mean.
TEST(ColourHistogram, CountsAPictureOfMoreThanFourBillionInSums) {
  constexpr std::size_t kPixels = 17'500'000;
  std::vector<std::uint8_t> rgba(4 * kPixels);
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    rgba[i] = 250;
    rgba[i + 1] = 251;
    rgba[i + 2] = 252;
    rgba[i + 3] = 255;
  }
  ColourHistogram histogram;
  histogram.AddPixels(0, rgba, 255);
  EXPECT_TRUE(histogram.Bins() == (std::vector<ColourHistogram::Bin>{{{250, 251, 252}, kPixels}}));
}

// Past its bound the histogram merges colours into coarser bins; the bins,
// their means and their owners depend only on the colours, not their order,
// nor on whether they come pixel by pixel or a picture at a time (pictures of
// more colours than a picture's bins are gathered in before they are put).
TEST(ColourHistogram, MergesAlikeWhateverTheOrder) {
  std::mt19937 random(9);
  std::vector<std::pair<std::uint32_t, Rgb>> pixels;
  for (int i = 0; i < 5000; ++i) {
    pixels.push_back({static_cast<std::uint32_t>(random() % 3),
                      RgbOfKey(static_cast<std::uint32_t>(random()) & 0xFFFFFF)});
  }
  ColourHistogram forward(300);
  ColourHistogram backward(300);
  for (const auto& [picture, colour] : pixels) {
    forward.Add(picture, colour);
  }
  for (auto p = pixels.rbegin(); p != pixels.rend(); ++p) {
    backward.Add(p->first, p->second);
  }
  ColourHistogram whole(300);
  for (std::uint32_t picture = 0; picture < 3; ++picture) {
    std::vector<std::uint8_t> rgba;
    for (const auto& [owner, c] : pixels) {
      if (owner == picture) {
        rgba.insert(rgba.end(), {c.red, c.green, c.blue, 255});
      }
    }
    whole.AddPixels(picture, rgba, 255);
  }
  EXPECT_GT(forward.DroppedBits(), 0);
  EXPECT_EQ(forward.DroppedBits(), whole.DroppedBits());
  EXPECT_TRUE(forward.Bins() == whole.Bins());
  EXPECT_TRUE(forward.MostOwnColours(3) == whole.MostOwnColours(3));
  EXPECT_LE(forward.Colours(), 300u);
  EXPECT_EQ(forward.DroppedBits(), backward.DroppedBits());
  EXPECT_TRUE(forward.Bins() == backward.Bins());
  EXPECT_TRUE(forward.MostOwnColours(3) == backward.MostOwnColours(3));
}

TEST(ColourHistogram, NamesThePicturesWithMostColoursOfTheirOwn) {
  ColourHistogram histogram;
  const auto add = [&](std::uint32_t picture, std::uint32_t firstKey, std::uint32_t count) {
    for (std::uint32_t k = firstKey; k < firstKey + count; ++k) {
      histogram.Add(picture, RgbOfKey(k), 3);
    }
  };
  add(0, 100, 5);
  add(1, 200, 9);  // four of them shared with picture 3 below
  add(2, 300, 7);
  add(3, 205, 4);
  add(4, 400, 5);
  EXPECT_TRUE(histogram.MostOwnColours(3) == (std::vector<Own>{{2, 7}, {0, 5}, {1, 5}}));
  EXPECT_EQ(histogram.Colours(), 5u + 9u + 7u + 5u);
}

}  // namespace
}  // namespace sprite::colour
