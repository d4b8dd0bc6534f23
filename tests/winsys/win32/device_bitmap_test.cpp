// The picture windows' pixels as the system's drawing calls take them: blue,
// green, red, top row first, each row padded to four bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "winsys/win32/win32_drawing.h"

namespace sprite::winsys::win32 {
namespace {

TEST(DeviceBitmapTest, RowsArePaddedAndChannelsSwapped) {
  struct Case {
    std::int32_t width;
    std::size_t stride;
  };
  for (const Case& c : {Case{1, 4}, Case{2, 8}, Case{3, 12}, Case{4, 12}, Case{5, 16}}) {
    SCOPED_TRACE(c.width);
    Picture picture{c.width, 2, {}};
    for (std::size_t i = 0; i < static_cast<std::size_t>(c.width) * 2; ++i) {
      const auto value = static_cast<std::uint8_t>(i * 3);
      picture.rgb.insert(picture.rgb.end(), {value, static_cast<std::uint8_t>(value + 1),
                                             static_cast<std::uint8_t>(value + 2)});
    }
    const DeviceBitmap bitmap = DeviceBitmapOf(picture);
    ASSERT_EQ(bitmap.bits.size(), c.stride * 2);
    EXPECT_EQ(bitmap.Width(), c.width);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.info.bmiHeader.biBitCount, 24);
    for (std::size_t y = 0; y < 2; ++y) {
      for (std::size_t x = 0; x < static_cast<std::size_t>(c.width); ++x) {
        const std::uint8_t* rgb = &picture.rgb[(y * static_cast<std::size_t>(c.width) + x) * 3];
        const std::uint8_t* bgr = &bitmap.bits[y * c.stride + x * 3];
        EXPECT_EQ((std::vector<std::uint8_t>{bgr[2], bgr[1], bgr[0]}),
                  (std::vector<std::uint8_t>{rgb[0], rgb[1], rgb[2]}));
      }
    }
  }
  EXPECT_TRUE(DeviceBitmapOf(Picture{}).Empty());
}

}  // namespace
}  // namespace sprite::winsys::win32
