#include "about/about_picture.h"

#include <string>

#include "codec/row_alignment.h"
#include "common/error.h"
#include "formats/bitmap.h"

namespace sprite::about {

winsys::Picture PictureFromBitmap(ByteView file) {
  const formats::BitmapHeaders headers = formats::ReadBitmapHeaders(file);
  if (!formats::PassesAcceptanceTest(headers)) {
    throw FormatError("the picture is not an 8-bit bitmap of 256 colours");
  }
  const formats::AcceptedBitmap bitmap = formats::ReadAcceptedBitmap(file, headers);
  if (headers.height <= 0) {
    throw FormatError("the picture's height at offset 22 is " + std::to_string(headers.height) +
                      "; only bottom-up rows are read");
  }
  const auto width = static_cast<std::size_t>(headers.width);
  const auto height = static_cast<std::size_t>(headers.height);
  const std::size_t stride = width + static_cast<std::size_t>(codec::RowPadding(headers.width));
  if (bitmap.pixelArea.size() / stride < height) {
    throw FormatError("the picture's pixel area holds " + std::to_string(bitmap.pixelArea.size()) +
                      " bytes, fewer than its " + std::to_string(height) + " rows of " +
                      std::to_string(stride) + " bytes");
  }
  const Bytes rows =
      codec::StripRowAlignment(ByteView(bitmap.pixelArea).first(stride * height), headers.width);

  winsys::Picture picture;
  picture.width = headers.width;
  picture.height = headers.height;
  picture.rgb.reserve(rows.size() * 3);
  for (const std::uint8_t index : rows) {
    // Palette entries are blue, green, red, reserved.
    const std::uint8_t* entry = bitmap.palette.data() + std::size_t{index} * 4;
    picture.rgb.insert(picture.rgb.end(), {entry[2], entry[1], entry[0]});
  }
  return picture;
}

}  // namespace sprite::about
