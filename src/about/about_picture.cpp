#include "about/about_picture.h"

#include <algorithm>

#include "common/error.h"
#include "formats/bitmap.h"
#include "formats/memory_io.h"

namespace sprite::about {

winsys::Picture PictureFromBitmap(ByteView file) {
  formats::MemorySource source(file);
  const formats::StoredPicture bitmap = formats::ReadBitmapPicture(source);
  const auto pixels =
      static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(std::max(bitmap.height, 0));
  if (bitmap.height <= 0 || bitmap.storedRows.size() < pixels) {
    throw FaultError({.kind = FaultKind::kRowsNotWhole});
  }
  // Bytes past the last whole row become a short first stored row: the
  // picture is the last `height` rows.
  const ByteView rows = ByteView(bitmap.storedRows).last(pixels);

  winsys::Picture picture;
  picture.width = bitmap.width;
  picture.height = bitmap.height;
  picture.rgb.reserve(pixels * 3);
  for (const std::uint8_t index : rows) {
    // Archive palette entries are red, green, blue, 0.
    const std::uint8_t* entry = bitmap.palette.data() + std::size_t{index} * 4;
    picture.rgb.insert(picture.rgb.end(), {entry[0], entry[1], entry[2]});
  }
  return picture;
}

}  // namespace sprite::about
