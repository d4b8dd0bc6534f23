#pragma once

#include <cstdint>

#include "common/bytes.h"

namespace sprite::formats {

// A picture as an archive entry stores it, whatever file it came from.
struct StoredPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;  // as the file gives it, sign kept
  Bytes palette;            // 1024 bytes, archive order: red, green, blue, 0
  Bytes storedRows;         // rows of `width` bytes without alignment, top row first
  // The picture comes back from the archive byte for byte: for a bitmap, its
  // pixel area was whole rows with zero alignment bytes.
  bool rowsWhole = true;
};

}  // namespace sprite::formats
