#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/byte_io.h"
#include "common/bytes.h"
#include "common/fault.h"
#include "formats/stored_picture.h"

namespace sprite::formats {

inline constexpr std::size_t kBitmapFileHeaderSize = 14;
inline constexpr std::size_t kBitmapInfoHeaderSize = 40;
// An OS/2 bitmap's core header: 16-bit fields, the bits per pixel at 24, and
// 3-byte palette entries, so the information header's offsets read other bytes.
inline constexpr std::uint32_t kOs2HeaderSize = 12;
inline constexpr std::size_t kPaletteSize = 1024;  // 256 entries of 4 bytes
// Where the palette of a 40-byte information header starts, and where written pixels start.
inline constexpr std::size_t kClassicPaletteOffset = kBitmapFileHeaderSize + kBitmapInfoHeaderSize;
inline constexpr std::size_t kWrittenPixelOffset = kClassicPaletteOffset + kPaletteSize;

// The header fields the Encode command reads. A field cut off by the end of the
// file (or a missing file: no bytes at all) reads as 0.
struct BitmapHeaders {
  std::uint32_t pixelOffset = 0;     // offset 10
  std::uint32_t infoHeaderSize = 0;  // offset 14
  std::int32_t width = 0;            // offset 18
  std::int32_t height = 0;           // offset 22
  std::uint16_t bitsPerPixel = 0;    // offset 28
  std::uint32_t compression = 0;     // offset 30: 0 for uncompressed rows
  std::uint32_t coloursUsed = 0;     // offset 46
};

BitmapHeaders ReadBitmapHeaders(ByteView file);

// 8 bits per pixel and exactly 256 colours used; nothing else is examined.
bool PassesAcceptanceTest(const BitmapHeaders& headers);

// Why a file cannot be stored, judged from its headers and its first bytes (at
// least the 2-byte signature when the file has them): empty, not a bitmap at
// all, too short for its headers, not 8 bits per pixel, not 256 colours,
// compressed. Nothing for a file that passes the acceptance test with
// uncompressed rows.
std::optional<Fault> JudgeBitmap(ByteView fileStart, const BitmapHeaders& headers);

// The palette (`paletteSize` bytes) follows a larger information header (108 or
// 124 bytes) at 14 + its size field, when it then still ends at or before the
// pixel offset. Otherwise it is at 54: a size field of 40 or less, or one whose
// palette would run into the pixels or past them, is not trusted to move it.
std::size_t PaletteOffset(const BitmapHeaders& headers, std::size_t paletteSize = kPaletteSize);

struct AcceptedBitmap {
  BitmapHeaders headers;
  Bytes palette;    // kPaletteSize bytes, bitmap order (blue, green, red, reserved)
  Bytes pixelArea;  // every byte from the pixel offset to the end of the file
};

// Where the palette and the pixel area of a file that passed the acceptance
// test lie, judged from its headers and its size alone, so that nothing past
// the headers is read before the offsets are known to lie within the file.
// Throws FaultError when the file holds fewer bytes than its palette
// (kPaletteCut), its width is 0 or less (kWidthWithoutRows), or its pixel
// offset lies past the end of the file (kPixelsPastEnd; an offset equal to the
// file length is an empty pixel area).
struct BitmapLayout {
  std::uint64_t paletteOffset = 0;
  std::uint64_t pixelOffset = 0;
  std::uint64_t pixelAreaSize = 0;  // every byte from the pixel offset to the end
};
BitmapLayout LocateBitmapParts(const BitmapHeaders& headers, std::uint64_t fileSize);

// Reads the palette and the pixel area where `layout` puts them, and nothing else.
AcceptedBitmap ReadBitmapParts(ByteSource& file, const BitmapHeaders& headers,
                               const BitmapLayout& layout);

// Palette and pixel area of a whole file in memory that passed the acceptance
// test; throws FaultError as LocateBitmapParts.
AcceptedBitmap ReadAcceptedBitmap(ByteView file, const BitmapHeaders& headers);

// Reads a bitmap the way the Encode command stores it: the headers and the
// file's size are judged before anything else is read, so memory stays that of
// the largest picture an archive entry holds whatever the file claims. Throws
// FaultError for a file that cannot be stored: JudgeBitmap's kinds, those of
// LocateBitmapParts and CheckEntryFits, and the file's own faults.
StoredPicture ReadBitmapPicture(ByteSource& file);

// A whole bitmap file for one decoded archive entry: 40-byte information header,
// the palette (bitmap order, 1024 bytes) at 54, the pixel area at 1078.
Bytes WriteBitmap(std::int16_t width, std::int16_t height, ByteView palette, ByteView pixelArea);

}  // namespace sprite::formats
