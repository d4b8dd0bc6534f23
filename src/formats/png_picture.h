// PNG pictures: any PNG read into an indexed or an RGBA form. Bytes in, bytes
// out; png_writer.h writes them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/bytes.h"

namespace sprite::formats {

inline constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P',  'N',  'G',
                                                              '\r', '\n', 0x1A, '\n'};

// True when `fileStart` begins with the 8-byte PNG signature, whatever the file's name.
bool IsPng(ByteView fileStart);

// What a reader accepts. The defaults take any sprite, sheet or swatch a modder
// makes while keeping a hostile file's claims from allocating more than about
// 128 MiB: a decoded picture is at most kMaxPixels pixels of 4 bytes.
struct PngLimits {
  std::uint32_t maxWidth = 1u << 20;
  std::uint32_t maxHeight = 1u << 22;
  std::uint64_t maxPixels = 1u << 25;
  // Ancillary chunks the decoder keeps (text, profiles, unknown chunks), each and together.
  std::size_t maxChunkBytes = 8u << 20;
  std::size_t maxChunkCacheBytes = 32u << 20;
  // Whether the picture is to be one archive entry: one that cannot be is
  // refused from its IHDR chunk, in CheckEntryFits's words, before any pixel
  // is decoded. Not for a sheet, which is cut into entries.
  bool oneEntry = false;
};

struct PngColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;
  friend bool operator==(const PngColour&, const PngColour&) = default;
};

// How an archive entry's fields differ from its picture, kept in a private
// ancillary chunk so that an entry written as a PNG reads back to the same
// entry: the height field as stored (any 16-bit value, sign included) and the
// number of stored bytes (the last row short, or no bytes at all).
struct EntryShape {
  std::int16_t heightField = 0;
  std::uint32_t storedLength = 0;
  friend bool operator==(const EntryShape&, const EntryShape&) = default;

  // Whether it still tells of a picture of `width` × `height` pixels: one that
  // holds its stored bytes in all its rows, the last perhaps in part, or a
  // single row for none. A picture edited to another size does not.
  bool Fits(std::uint32_t width, std::uint32_t height) const;
};
inline constexpr std::array<std::uint8_t, 4> kEntryShapeChunk = {'s', 'p', 'R', 't'};

enum class PngForm {
  kIndexed,  // one palette index a pixel
  kRgba8,    // red, green, blue, alpha a pixel
};

struct PngPicture {
  PngForm form = PngForm::kRgba8;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Top row first, no padding: width × height indexes, or 4 × width × height bytes.
  Bytes pixels;
  // Indexed only: the PLTE entries (1 to 256), alpha from tRNS (255 past its end).
  std::vector<PngColour> palette;
  // From the private chunk, when present and consistent with the picture's size.
  std::optional<EntryShape> entryShape;
  // RGBA: whether some pixel's alpha is neither 0 nor 255, once looked for.
  std::optional<bool> partialAlpha;
  // 16-bit samples, rounded to 8 bits: how many of the 8-bit colours of
  // pixels not see-through stand for more than one 16-bit colour, all of
  // them or (not complete) at least that many.
  std::uint64_t mergedColours = 0;
  bool mergedCountComplete = true;
  // An animated PNG's frames other than the picture read (see PngChunkWalk).
  std::uint32_t framesLeftOut = 0;

  // The colour of pixel (x, y) in either form.
  PngColour At(std::uint32_t x, std::uint32_t y) const;
};

// Whether some alpha of the RGBA pixels `rgba` is neither 0 nor 255, in one
// pass without an early way out, one the compiler can widen.
bool AnyPartialAlpha(ByteView rgba);

// Reads a whole PNG file. Indexed PNGs of any bit depth come out indexed; every
// other colour type comes out as RGBA8: grey expanded, 16-bit samples rounded
// to the nearest 8-bit value, a tRNS colour key turned into alpha 0. Interlaced
// pictures are deinterlaced. Throws FaultError, in plain words naming the
// chunk and its offset or the pixel where it can, for a file that is not a PNG,
// is cut off, has a bad CRC in a critical chunk, lacks IHDR or IDAT, has image
// data that does not decode to its size, uses a palette index past its PLTE, or
// exceeds `limits`.
// How the image data is decoded. Where the picture allows it (not interlaced,
// indexed or of 8-bit samples, the data whole and sound) in one piece, else row
// by row through libspng; `kRowByRow` always the latter, to compare the two.
enum class PngDecoding { kWholeWhereItCan, kRowByRow };

PngPicture ReadPng(ByteView file, const PngLimits& limits = {},
                   PngDecoding decoding = PngDecoding::kWholeWhereItCan);

// What a PNG says of its colours before its pixels: enough to tell whether a
// set of pictures shares one palette without decoding any of them.
struct PngColours {
  PngForm form = PngForm::kRgba8;
  // Indexed only: the PLTE entries (1 to 256), alpha from tRNS (255 past its end).
  std::vector<PngColour> palette;
};

// Reads the chunks of `fileStart`, the start of a PNG file, up to its first
// IDAT chunk: the form ReadPng gives the picture and, for an indexed one, the
// palette it gives. Nothing when the bytes end before that (read more of the
// file). Throws FaultError for a file that is not a PNG (kNotAPng) or whose
// IHDR, PLTE or tRNS chunk is damaged or missing (kDamagedPng).
std::optional<PngColours> ReadPngColours(ByteView fileStart);

// The entry an indexed picture stands for: its height field (the shape's, or
// the picture's height) and the stored rows (its indexes, cut to the shape's
// stored length). `indexes` are the picture's, `height` rows of them.
struct EntryRows {
  std::int32_t heightField = 0;
  Bytes storedRows;
};
EntryRows EntryOfPicture(std::uint32_t height, Bytes indexes,
                         const std::optional<EntryShape>& shape);

}  // namespace sprite::formats
