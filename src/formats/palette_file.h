// Palettes as files: read from a GIMP palette, a JASC palette, a PNG, a
// bitmap or a sprite archive, and written as a GIMP palette, a JASC palette or
// a 16 × 16 swatch PNG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/byte_io.h"
#include "common/bytes.h"
#include "formats/png_picture.h"

namespace sprite::formats {

enum class PaletteFileKind { kGimp, kJasc, kPng, kBitmap, kArchive };

struct PaletteFile {
  PaletteFileKind kind = PaletteFileKind::kGimp;
  // 1024 bytes in archive order (red, green, blue, 0); entries past those the
  // file gives are black.
  Bytes palette;
  std::size_t entriesGiven = 0;  // 1 to 256
};

inline constexpr std::size_t kPaletteEntries = 256;

// Reads a palette, the kind told by the content (signature or first line), not
// by a name:
// - GIMP ("GIMP Palette" first): a line "R G B [name]" an entry; Name:, Columns:
//   and Channels: lines, "#" comments and blank lines are skipped.
// - JASC ("JASC-PAL", "0100", the count, then "R G B" lines).
// - PNG: an indexed one's PLTE, whole; any other's distinct colours in row
//   order, alpha left out (more than 256 are refused). Its see-through pixels
//   (alpha 0) bring no colour: entry 0 is theirs, with the first one's colour,
//   and its opaque colours (at most 255) follow.
// - bitmap with 1, 4 or 8 bits per pixel: the palette where the bitmap reader
//   finds it, as many entries as its colours-used field says (0, or more than
//   its pixels can name: 2, 16 or 256).
// - sprite archive: its 1024-byte trailer, once the entries' heads show it is
//   where they end (a damaged archive is refused, naming the damage).
// Throws FaultError naming the line or the part at fault, for anything else
// and for more than 256 or no entries. A text palette is read a line at a
// time, refused past 65536 lines or at a line of more than 4096 bytes; a PNG is read whole, and
// refused (kFileTooLarge) when larger than `maxPngBytes`; of a bitmap only the
// palette is read, of an archive its entries' heads and the palette.
PaletteFile ReadPaletteFile(ByteSource& file, std::uint64_t maxPngBytes,
                            const PngLimits& limits = {});
// A palette file in memory.
PaletteFile ReadPaletteFile(ByteView file, const PngLimits& limits = {});

// The palette a sprite archive's trailer gives as a palette file: all 256
// entries, their fourth bytes 0 as an archive writes them.
PaletteFile PaletteOfTrailer(ByteView trailer);

// `palette` is 1024 bytes in archive order; all 256 entries are written.
Bytes WriteGimpPalette(ByteView palette, std::string_view name);
Bytes WriteJascPalette(ByteView palette);
// 16 × 16 pixels, pixel (x, y) is entry y · 16 + x, with no see-through index,
// so that reading it back gives the palette exactly.
Bytes WriteSwatchPng(ByteView palette);

}  // namespace sprite::formats
