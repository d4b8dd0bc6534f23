// Reads an arbitrary file as a palette file. A format error is the expected way
// out. A palette that reads is written in each kind and must read back the same.
// A text palette followed by 64 MiB of blank lines is read no further than its
// line limit: GIMP's is refused there, JASC's reads the same, and the reader
// asks for little more than the input, within the harness's memory limit.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "common/byte_io.h"
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

// The input and then line ends up to a size of 64 MiB, counting what is read.
class WithBlankLines : public sprite::ByteSource {
 public:
  explicit WithBlankLines(sprite::ByteView start) : start_(start) {}
  std::uint64_t Size() const override { return start_.size() + (std::uint64_t{64} << 20); }
  void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    Check(offset + out.size() <= Size());
    for (std::size_t i = 0; i < out.size(); ++i) {
      out[i] = offset + i < start_.size() ? start_[offset + i] : '\n';
    }
    read += out.size();
  }
  std::uint64_t read = 0;

 private:
  sprite::ByteView start_;
};

void CheckBlankLinesAfter(sprite::ByteView input, const PaletteFile& file) {
  WithBlankLines longer(input);
  try {
    const PaletteFile again = ReadPaletteFile(longer, 0, kLimits);
    Check(file.kind == PaletteFileKind::kJasc && again.palette == file.palette);
  } catch (const sprite::FaultError& error) {
    Check(file.kind == PaletteFileKind::kGimp &&
          error.Kind() == sprite::FaultKind::kBadPaletteFile);
  }
  Check(longer.read <= input.size() + (std::uint64_t{1} << 20));
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
  if (file.kind == PaletteFileKind::kGimp || file.kind == PaletteFileKind::kJasc) {
    CheckBlankLinesAfter(sprite::ByteView(data, size), file);
  }
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
