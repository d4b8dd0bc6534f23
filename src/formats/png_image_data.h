// A PNG's image data as one piece: the zlib stream of its IDAT chunks inflated
// in one call, the rows' filters undone and the samples widened to a picture,
// and rows deflated in one call.
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

// What IHDR says of the image data's layout; colour types as PNG numbers them.
struct PngImageLayout {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t bitDepth = 0;
  std::uint8_t colourType = 0;
  bool interlaced = false;
};

// A tRNS colour key: the grey sample, or the truecolour one, of see-through pixels.
struct PngColourKey {
  std::uint16_t grey = 0;
  std::uint16_t red = 0;
  std::uint16_t green = 0;
  std::uint16_t blue = 0;
};

// Samples a pixel of PNG colour type `colourType`: 1 to 4.
int SamplesPerPixel(std::uint8_t colourType);

// The image data of `chunks` (IDAT chunks one after the other, whole: length,
// type, data and CRC, as a PNG file holds them) decoded in one piece, for pictures that need no
// more than undoing filters and widening samples: not interlaced, indexed or of 8-bit samples.
// Packed indexes, or RGBA8 (grey widened, a missing alpha 255, or 0 where `key` matches). Nothing
// for any other picture, or when the data is not plainly whole and sound (a stream that ends early
// or runs on, an unknown filter): the reader then takes it row by row and says what is wrong, if
// anything is.
std::optional<Bytes> DecodeWholeImage(ByteView chunks, const PngImageLayout& layout,
                                      const std::optional<PngColourKey>& key);

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
