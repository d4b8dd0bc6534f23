// A PNG's image data as one piece: the zlib stream of its IDAT chunks inflated
// in one call and the rows' filters undone, and rows deflated in one call.
// A sprite's image data is a few kilobytes; taken whole (libdeflate) it codes
// several times faster than a stream fed one row of 32 to 256 bytes at a time,
// which keeps zlib off its fast path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "common/bytes.h"

namespace sprite::formats {

// The predictor of PNG's Paeth filter: of the pixel to the left (`a`), the one
// above (`b`) and the one above to the left (`c`), the one nearest to
// a + b - c, ties going to `a`, then to `b`.
inline std::uint8_t PaethPredictor(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a);
  const int pb = std::abs(p - b);
  const int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) {
    return static_cast<std::uint8_t>(a);
  }
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// The `height` rows of `rowBytes` bytes each of a non-interlaced picture whose
// pixels take `bytesPerPixel` bytes (1 for fewer than 8 bits), filters undone,
// one row after the other. Nothing when `zlibStream` is damaged, gives other
// than height × (1 + rowBytes) bytes, or a row names an unknown filter.
std::optional<Bytes> InflateRows(ByteView zlibStream, std::size_t rowBytes, std::uint32_t height,
                                 std::size_t bytesPerPixel);

// A zlib stream at `level` (0 to 12) of `rowCount` rows of `rowBytes` bytes from
// `rows`, each behind filter type 0 (filters only spread a palette picture's
// runs); what `rows` lacks of the last rows is zeros.
Bytes DeflateRows(ByteView rows, std::size_t rowBytes, std::size_t rowCount, int level);

}  // namespace sprite::formats
