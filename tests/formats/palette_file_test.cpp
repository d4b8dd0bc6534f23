#include "formats/palette_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/test_files.h"
#include "codec/palette_swap.h"
#include "common/error.h"
#include "format_test_support.h"
#include "formats/bitmap.h"
#include "formats/memory_io.h"
#include "formats/sprite_archive.h"
#include "png_test_support.h"

namespace sprite::formats {
namespace {

Bytes TextFile(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// An archive-order palette: red, green, blue from the pattern, the fourth byte 0.
Bytes ArchivePalette() {
  Bytes palette = PatternPalette(3);
  for (std::size_t i = 3; i < palette.size(); i += 4) {
    palette[i] = 0;
  }
  return palette;
}

// `entries` as R, G, B, 0, padded with black to 256.
Bytes Padded(std::initializer_list<int> rgb) {
  Bytes palette(1024, 0);
  std::size_t i = 0;
  for (int value : rgb) {
    palette[i / 3 * 4 + i % 3] = static_cast<std::uint8_t>(value);
    ++i;
  }
  return palette;
}

// The first `entries` colours of the pattern, in bitmap order.
Bytes PatternEntries(std::size_t entries) {
  const Bytes pattern = PatternPalette();
  return Bytes(pattern.begin(), pattern.begin() + static_cast<std::ptrdiff_t>(4 * entries));
}

// An RGBA PNG `width` pixels wide of `pixels`, each red, green, blue, alpha.
Bytes RgbaPng(std::uint32_t width, const std::vector<std::array<int, 4>>& pixels) {
  Bytes raw;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (i % width == 0) {
      raw.push_back(0);  // no filter
    }
    raw.insert(raw.end(), pixels[i].begin(), pixels[i].end());
  }
  return PngOfScanlines({.colourType = 6,
                         .width = width,
                         .height = static_cast<std::uint32_t>(pixels.size() / width)},
                        raw);
}

TEST(PaletteFile, WrittenPalettesReadBackExactly) {
  const Bytes palette = ArchivePalette();
  struct Case {
    Bytes file;
    PaletteFileKind kind;
  };
  for (const Case& c : {Case{WriteGimpPalette(palette, "walk\ncycle"), PaletteFileKind::kGimp},
                        Case{WriteJascPalette(palette), PaletteFileKind::kJasc},
                        Case{WriteSwatchPng(palette), PaletteFileKind::kPng}}) {
    const PaletteFile read = ReadPaletteFile(c.file);
    EXPECT_EQ(read.kind, c.kind);
    EXPECT_EQ(read.entriesGiven, 256u);
    EXPECT_EQ(read.palette, palette);
  }
  const PngPicture swatch = ReadPng(WriteSwatchPng(palette));
  EXPECT_EQ(swatch.width, 16u);
  EXPECT_EQ(swatch.At(3, 2),
            (PngColour{palette[4 * 35], palette[4 * 35 + 1], palette[4 * 35 + 2], 255}));
}

TEST(PaletteFile, EachKindIsToldByItsContentAndPaddedWithBlack) {
  Bytes archive;
  MemorySink sink(archive);
  ArchiveWriter writer(sink);
  writer.Finish(ArchivePalette());
  Bytes smallBitmap = WriteBitmap(1, 1, PatternPalette(), B({0}));
  smallBitmap[46] = 2;  // two colours used
  smallBitmap[47] = 0;
  struct Case {
    const char* what;
    Bytes file;
    PaletteFileKind kind;
    Bytes palette;
    std::size_t given;
  };
  for (const Case& c : {
           Case{"GIMP with comments, a name, CR LF and a byte-order mark",
                TextFile("\xEF\xBB\xBFGIMP Palette\r\nName: x\r\nColumns: 4\r\n# note\r\n\r\n"
                         "  1   2   3\tfirst\r\n255 0 9\r\n"),
                PaletteFileKind::kGimp, Padded({1, 2, 3, 255, 0, 9}), 2},
           Case{"JASC of three", TextFile("JASC-PAL\n0100\n3\n10 20 30\n0 0 0\n7 8 9\n"),
                PaletteFileKind::kJasc, Padded({10, 20, 30, 0, 0, 0, 7, 8, 9}), 3},
           Case{"indexed PNG", ReadTestPng("indexed-1bit.png"), PaletteFileKind::kPng,
                Padded({0, 0, 7, 37, 91, 60}), 2},
           Case{"bitmap of 256 colours", WriteBitmap(1, 1, PatternPalette(), B({0})),
                PaletteFileKind::kBitmap, codec::SwapRedBlue(PatternPalette()), 256},
           Case{"bitmap of two colours", smallBitmap, PaletteFileKind::kBitmap,
                Padded({14, 7, 0, 42, 35, 28}), 2},
           // As ImageMagick and GIMP write them: the palette they use after a header of
           // 108 or 124 bytes.
           Case{"1-bit bitmap",
                testing::BuildBitmap(
                    {.bitsPerPixel = 1, .coloursUsed = 0, .palette = PatternEntries(2)}),
                PaletteFileKind::kBitmap, Padded({14, 7, 0, 42, 35, 28}), 2},
           Case{"4-bit bitmap of 3 colours after a 124-byte header",
                testing::BuildBitmap({.bitsPerPixel = 4,
                .coloursUsed = 3,
                .infoHeaderSize = 124,
                .palette = PatternEntries(3)}),
                PaletteFileKind::kBitmap, Padded({14, 7, 0, 42, 35, 28, 70, 63, 56}), 3},
           Case{"8-bit bitmap of 3 colours after a 108-byte header",
                testing::BuildBitmap(
                    {.coloursUsed = 3, .infoHeaderSize = 108, .palette = PatternEntries(3)}),
                PaletteFileKind::kBitmap, Padded({14, 7, 0, 42, 35, 28, 70, 63, 56}), 3},
           Case{"4-bit bitmap whose colours used are more than 16",
                testing::BuildBitmap({.bitsPerPixel = 4,
                .coloursUsed = 300,
                .infoHeaderSize = 108,
                .palette = PatternEntries(16)}),
                PaletteFileKind::kBitmap,
                [] {
                  Bytes sixteen = codec::SwapRedBlue(PatternPalette());
                  std::fill(sixteen.begin() + 64, sixteen.end(), 0);
                  return sixteen;
                }(),
                16},
           Case{"archive", archive, PaletteFileKind::kArchive, ArchivePalette(), 256},
           // See-through pixels bring no colour but keep entry 0, whatever their place.
           Case{"RGBA PNG with see-through pixels",
                RgbaPng(5, {{5, 6, 7, 0},
                            {200, 0, 0, 255},
                            {1, 2, 3, 0},
                            {5, 6, 7, 255},
                            {200, 0, 0, 255}}),
                PaletteFileKind::kPng, Padded({5, 6, 7, 200, 0, 0, 5, 6, 7}), 3},
           Case{"RGBA PNG with see-through pixels last", RgbaPng(2, {{9, 8, 7, 255}, {0, 0, 0, 0}}),
                PaletteFileKind::kPng, Padded({0, 0, 0, 9, 8, 7}), 2},
       }) {
    SCOPED_TRACE(c.what);
    const PaletteFile read = ReadPaletteFile(c.file);
    EXPECT_EQ(read.kind, c.kind);
    EXPECT_EQ(read.palette, c.palette);
    EXPECT_EQ(read.entriesGiven, c.given);
  }
  // Grey 1-bit: black and white, in the order the rows first show them.
  const PaletteFile grey = ReadPaletteFile(ReadTestPng("grey-1bit.png"));
  EXPECT_EQ(grey.palette, Padded({0, 0, 0, 255, 255, 255}));
  EXPECT_EQ(grey.entriesGiven, 2u);
}

// An archive's header counting `count` entries, a zero palette and `extra` bytes.
Bytes Archive(std::uint8_t count, std::size_t extra) {
  Bytes archive = B({'S', 'P', 1, 2, count, 0, 0, 0});
  archive.resize(8 + 1024 + extra, 0);
  return archive;
}

TEST(PaletteFile, FilesThatAreNoPaletteAreRefusedNamingTheFault) {
  std::string tooMany = "GIMP Palette\n";
  for (int i = 0; i < 257; ++i) {
    tooMany += "1 2 3\n";
  }
  struct Case {
    Bytes file;
    std::string reason;
  };
  for (const Case& c : {
           Case{TextFile("GIMP Palette\n1 2 3\n4 five 6\n"),
                "line 3 (\"4 five 6\") is not a colour"},
           Case{TextFile("GIMP Palette\n1 2 256\n"), "line 2 (\"1 2 256\") is not a colour"},
           Case{TextFile(tooMany), "it has 257 colours; a palette holds at most 256"},
           Case{TextFile("GIMP Palette\n# none\n"), "the GIMP palette has no colours"},
           Case{TextFile("JASC-PAL\n0100\n4\n1 2 3\n"), "the JASC palette counts 4 colours but"},
           Case{TextFile("JASC-PAL\n0200\n1\n1 2 3\n"), "line 2 of the JASC palette is not"},
           Case{TextFile("1 2 3\n"), "it is not a palette file"},
           // What the file says is shown with its control characters escaped.
           Case{TextFile(std::string("GIMP Palette\n12 \0junk\n", 22)),
                "line 2 (\"12 \\x00junk\") is not a colour"},
           Case{TextFile("GIMP Palette\n1 2 \x1B[31mred\tx\xC2\x9B"
                         "1m\n"),
                "line 2 (\"1 2 \\x1B[31mred\\x09x\\u009B1m\") is not a colour"},
           Case{TextFile("GIMP Palette\n" + std::string(4097, '1') + "\n"),
                "line 2 is longer than the 4096 bytes a line may have here"},
           Case{TextFile("GIMP Palette" + std::string(65537, '\n')),
                "it has more than 65536 lines, more than such a file may have here"},
           Case{ReadTestPng("rgb-300-colours.png"), "it has 300 colours"},
           Case{[] {
                  std::vector<std::array<int, 4>> pixels;
                  for (int i = 0; i < 256; ++i) {
                    pixels.push_back({i, 1, 2, 255});
                  }
                  pixels.resize(16 * 17, {0, 0, 0, 0});
                  return RgbaPng(16, pixels);
                }(),
                "it has 256 opaque colours; besides entry 0, for its see-through pixels"},
           Case{ReadTestPng("no-idat.png"), "it has no image data"},
           Case{[] {
                  Bytes bitmap = WriteBitmap(1, 1, PatternPalette(), B({0}));
                  bitmap[28] = 24;
                  return bitmap;
                }(),
                "it is a 24-bit bitmap"},
           Case{B({'B', 'M', 0, 0}), "the bitmap is 4 bytes long, too short for the 54 bytes"},
           Case{[] {
                  Bytes bitmap = WriteBitmap(1, 1, PatternPalette(), B({0}));
                  bitmap[14] = 12;  // the bit count is at 24, pixels at 28
                  bitmap[28] = 0x2C;
                  return bitmap;
                }(),
                "its information header is 12 bytes long, an OS/2 bitmap's"},
           Case{[] {
                  Bytes bitmap = WriteBitmap(1, 1, PatternPalette(), B({0}));
                  bitmap[14] = 12;  // its palette happens to read as 8 bits
                  return bitmap;
                }(),
                "its information header is 12 bytes long, an OS/2 bitmap's"},
           Case{B({'S', 'P', 1, 2, 0, 0}), "the file is 6 bytes long, too short"},
           // An archive whose palette cannot be told: bytes added after it, a count too high.
           Case{Archive(0, 8), "8 bytes at offset 8, after the last of the 0 entries"},
           Case{Archive(1, 0), "entry 1 at offset 8:"},
       }) {
    try {
      ReadPaletteFile(c.file);
      ADD_FAILURE() << "read: " << c.reason;
    } catch (const FaultError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.reason, 0), 0u) << error.what();
    }
  }
}

// A file of `size` bytes, `start` and then line ends, that counts the bytes read.
class LinesSource : public ByteSource {
 public:
  LinesSource(std::string_view start, std::uint64_t size) : start_(start), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    ASSERT_LE(offset + out.size(), size_);
    for (std::size_t i = 0; i < out.size(); ++i) {
      out[i] = offset + i < start_.size() ? static_cast<std::uint8_t>(start_[offset + i]) : '\n';
    }
    read += out.size();
  }
  std::uint64_t read = 0;

 private:
  std::string_view start_;
  std::uint64_t size_;
};

TEST(PaletteFile, ATextPaletteIsReadALineAtATimeWhateverTheFileSize) {
  // A gigabyte of blank lines is refused once it has more lines than a palette may have.
  LinesSource blank("GIMP Palette\n1 2 3\n", std::uint64_t{1} << 30);
  EXPECT_THROW(ReadPaletteFile(blank, 0), FaultError);
  EXPECT_LT(blank.read, 256u * 1024);
  // A JASC palette's colours are read, and nothing after them.
  LinesSource jasc("JASC-PAL\n0100\n2\n1 2 3\n4 5 6\n", std::uint64_t{1} << 30);
  EXPECT_EQ(ReadPaletteFile(jasc, 0).palette, Padded({1, 2, 3, 4, 5, 6}));
  EXPECT_LT(jasc.read, 256u * 1024);
}

}  // namespace
}  // namespace sprite::formats
