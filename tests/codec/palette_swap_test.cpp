#include "codec/palette_swap.h"

#include <gtest/gtest.h>

#include "codec/codec_test_support.h"
#include "common/error.h"

namespace sprite::codec {
namespace {

TEST(SwapRedBlue, SwapsFirstAndThirdByteAndClearsTheFourth) {
  const std::pair<Bytes, Bytes> cases[] = {
      {{}, {}},
      {Hex("10 20 30 40"), Hex("30 20 10 00")},
      {Hex("10 20 30 40 AA BB CC DD"), Hex("30 20 10 00 CC BB AA 00")},
      // An incomplete last group gives its bytes highest first, then the zero.
      {Hex("01"), Hex("01 00")},
      {Hex("01 02 03 04 05"), Hex("03 02 01 00 05 00")},
      {Hex("01 02 03 04 05 06"), Hex("03 02 01 00 06 05 00")},
      {Hex("01 02 03 04 05 06 07"), Hex("03 02 01 00 07 06 05 00")},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(SwapRedBlue(in), out) << in.size() << "-byte input";
  }
}

TEST(SwapRedBlue, ConvertsAWholePaletteEntryByEntry) {
  Bytes palette(1024);
  for (std::size_t k = 0; k < palette.size(); ++k) {
    palette[k] = static_cast<std::uint8_t>(k * 7 + 3);
  }
  const Bytes swapped = SwapRedBlue(palette);
  ASSERT_EQ(swapped.size(), 1024u);
  for (std::size_t e = 0; e < 256; ++e) {
    const std::size_t k = 4 * e;
    EXPECT_EQ(swapped[k], palette[k + 2]);
    EXPECT_EQ(swapped[k + 1], palette[k + 1]);
    EXPECT_EQ(swapped[k + 2], palette[k]);
    EXPECT_EQ(swapped[k + 3], 0);
  }
  Bytes twice = palette;
  for (std::size_t k = 3; k < twice.size(); k += 4) {
    twice[k] = 0;
  }
  EXPECT_EQ(SwapRedBlue(swapped), twice);
}

TEST(SwapRedBlue, TakesAtMost32764Bytes) {
  EXPECT_EQ(SwapRedBlue(Bytes(32764, 0x11)).size(), 32764u);
  EXPECT_THROW(SwapRedBlue(Bytes(32765, 0x11)), OverflowError);
  EXPECT_THROW(SwapRedBlue(Bytes(40000, 0x11)), OverflowError);
}

}  // namespace
}  // namespace sprite::codec
