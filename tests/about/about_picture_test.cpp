#include "about/about_picture.h"

#include <gtest/gtest.h>

#include "app/test_files.h"
#include "common/error.h"

namespace sprite::testing {
namespace {

TEST(AboutPictureTest, BottomUpRowsBecomeTopRowFirstThroughThePalette) {
  BitmapFields fields;
  fields.width = 3;  // one alignment byte after each row
  fields.height = 2;
  for (std::size_t i = 0; i < 4; ++i) {
    // Blue, green, red, reserved: entry i is red 10 + i, green 20 + i, blue 30 + i.
    fields.palette[i * 4] = static_cast<std::uint8_t>(30 + i);
    fields.palette[i * 4 + 1] = static_cast<std::uint8_t>(20 + i);
    fields.palette[i * 4 + 2] = static_cast<std::uint8_t>(10 + i);
  }
  fields.pixelArea = {1,   1, 1, 0xEE,  // bottom row
                      2,   3, 0, 0xEE,  // top row
                      0xEE};            // bytes past the last row are ignored
  const winsys::Picture picture = about::PictureFromBitmap(BuildBitmap(fields));
  EXPECT_EQ(picture.width, 3);
  EXPECT_EQ(picture.height, 2);
  EXPECT_EQ(picture.rgb, (std::vector<std::uint8_t>{12, 22, 32, 13, 23, 33, 10, 20, 30,  //
                                                    11, 21, 31, 11, 21, 31, 11, 21, 31}));
}

TEST(AboutPictureTest, RejectsAPixelAreaShorterThanItsRows) {
  BitmapFields fields;
  fields.height = 2;
  fields.pixelArea = Bytes(7, 0);  // two rows of 4 bytes need 8
  EXPECT_THROW(about::PictureFromBitmap(BuildBitmap(fields)), FaultError);
}

}  // namespace
}  // namespace sprite::testing
