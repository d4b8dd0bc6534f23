// 8-bit indexed PNG pictures written from an archive entry's stored rows.
// Bytes in, bytes out.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/bytes.h"
#include "formats/png_picture.h"

namespace sprite::formats {

// The deflate level (libdeflate's, 0 to 12) pictures are written at: the
// fastest, since a sprite's bytes are mostly runs (index 0 around the figure,
// spans of one colour) that level 1 folds away well: a fifth larger than
// level 6 on sprites drawn in spans, in a fifth of the time.
inline constexpr int kPngWriteLevel = 1;

struct PngWriteOptions {
  bool seeThroughIndex0 = true;    // a tRNS chunk marks index 0 as see-through
  int zlibLevel = kPngWriteLevel;  // of the zlib stream the IDAT chunk holds
};

using PngChunkType = std::array<std::uint8_t, 4>;
constexpr PngChunkType ChunkType(const char (&name)[5]) {
  return {static_cast<std::uint8_t>(name[0]), static_cast<std::uint8_t>(name[1]),
          static_cast<std::uint8_t>(name[2]), static_cast<std::uint8_t>(name[3])};
}

// Appends a chunk of `type` holding `data`, framed by its length and its CRC.
void AppendPngChunk(Bytes& out, const PngChunkType& type, ByteView data);

// What an 8-bit indexed PNG of `width` × `height` pixels holds before its
// image data: the signature, IHDR, a 256-entry PLTE of `palette` (1024
// bytes in archive order), tRNS as `options` say, and `shape`'s chunk.
// Throws InvalidArgumentError for a width or height of 0 or a palette of
// another size.
Bytes IndexedPngHead(std::uint32_t width, std::uint32_t height, ByteView palette,
                     const PngWriteOptions& options = {},
                     const std::optional<EntryShape>& shape = std::nullopt);

// An 8-bit indexed PNG of `height` rows of `width` indexes from `pixels`, top
// row first. `pixels` may be shorter than width × height (not longer): what is
// missing of the last rows is index 0. `palette` is 1024 bytes in archive order
// (red, green, blue, 0 for each of 256 entries) and becomes a 256-entry PLTE.
// With `shape`, its private chunk is written too. Throws InvalidArgumentError
// for a width or height of 0, a palette of another size or too many pixels.
Bytes WriteIndexedPng(std::uint32_t width, std::uint32_t height, ByteView pixels, ByteView palette,
                      const PngWriteOptions& options = {},
                      const std::optional<EntryShape>& shape = std::nullopt);

// An archive entry as a PNG: its stored rows are the picture's pixels top row
// first, width bytes a row, a short last row completed with index 0, at least
// one row. When the rows are not whole, or the height field is not their count,
// the entry's shape goes into the private chunk, so that EntryRows of the read
// picture gives the entry back.
Bytes WriteEntryPng(std::int32_t width, std::int16_t heightField, ByteView storedRows,
                    ByteView palette, const PngWriteOptions& options = {});

}  // namespace sprite::formats
