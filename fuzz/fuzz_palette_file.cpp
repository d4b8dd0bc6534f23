// Reads an arbitrary file as a palette file. A format error is the expected way
// out. A palette that reads is written in each kind and must read back the same.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "common/error.h"
#include "formats/palette_file.h"

namespace {

using namespace sprite::formats;

constexpr PngLimits kLimits{.maxWidth = 4096, .maxHeight = 4096, .maxPixels = 1u << 20};

void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PaletteFile file;
  try {
    file = ReadPaletteFile(sprite::ByteView(data, size), kLimits);
  } catch (const sprite::Error&) {
    return 0;
  }
  Check(file.palette.size() == 1024 && file.entriesGiven >= 1 && file.entriesGiven <= 256);
  // Archive order: every fourth byte 0, and black past the entries given.
  for (std::size_t i = 0; i < file.palette.size(); ++i) {
    Check((i % 4 != 3 && i < 4 * file.entriesGiven) || file.palette[i] == 0);
  }
  for (const sprite::Bytes& written :
       {WriteGimpPalette(file.palette, "fuzz"), WriteJascPalette(file.palette),
        WriteSwatchPng(file.palette)}) {
    const PaletteFile back = ReadPaletteFile(written, kLimits);
    Check(back.palette == file.palette && back.entriesGiven == 256);
  }
  return 0;
}
