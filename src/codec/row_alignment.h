#pragma once

#include <cstdint>
#include <limits>

#include "codec/rle_decoder.h"
#include "common/bytes.h"

namespace sprite::codec {

// Longest stored rows the row pass takes: its row position is 32-bit signed.
inline constexpr std::size_t kMaxStoredRows = std::numeric_limits<std::int32_t>::max();

// Alignment bytes after each bitmap row of `width` pixels: 0, 3, 2, 1 for
// width mod 4 = 0, 1, 2, 3 (remainder taken towards zero, as the bitmap reader does).
std::int32_t RowPadding(std::int32_t width);

// Pixel area to stored rows: slices of `width` bytes starting every width + pad
// bytes, in reverse order, alignment dropped. A remainder at the end of the area
// becomes a short first row. Throws FaultError (kWidthWithoutRows) for a width of 0 or less.
Bytes StripRowAlignment(ByteView pixelArea, std::int32_t width);

// Stored rows to pixel area: rows of `width` bytes in reverse order, each
// followed by RowPadding(width) zero bytes; a short last row stays short. With a
// host, yields before each row and sets the row bar after it (the row pass of
// RLEDecompressRows). Throws FaultError (kWidthWithoutRows) for a width of 0 or less,
// OverflowError for more than kMaxStoredRows bytes.
Bytes AddRowAlignment(ByteView storedRows, std::int32_t width, RowsHost* host = nullptr);

// Whether AddRowAlignment(storedRows, width) gives `pixelArea` back, where
// `storedRows` is StripRowAlignment(pixelArea, width). An area of whole rows
// comes back when its alignment bytes are zero, which is told without
// building it again; any other area is built again and compared.
bool RowsRebuildArea(ByteView pixelArea, ByteView storedRows, std::int32_t width);

}  // namespace sprite::codec
