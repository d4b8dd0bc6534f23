#pragma once

#include <cstdint>
#include <span>

#include "common/bytes.h"

namespace sprite::formats {

// A picture as an archive entry stores it, whatever file it came from.
struct StoredPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;  // as the file gives it, sign kept
  Bytes palette;            // 1024 bytes, archive order: red, green, blue, 0
  // Rows of `width` bytes without alignment, in the reverse of the bitmap
  // file's order: top row first for a height of 0 or more, bottom row first
  // for a negative one (a top-down bitmap).
  Bytes storedRows;
  // The picture comes back from the archive byte for byte: for a bitmap, its
  // pixel area was whole rows with zero alignment bytes.
  bool rowsWhole = true;
  // The height is a bitmap header's claim, which may say other rows than its
  // pixel area holds; a PNG picture's is its rows, or the entry's own field.
  bool heightFromBitmap = false;
};

// Turns the whole rows of `width` bytes at the start of `rows` between the
// order an entry of `height` stores them in and the picture's, top row first:
// a negative height reverses them, which is its own inverse; any other height
// leaves them. Bytes after the last whole row stay where they are.
void TurnStoredRows(std::int32_t height, std::uint32_t width, std::span<std::uint8_t> rows);

}  // namespace sprite::formats
