#include "formats/png_picture.h"
#include "formats/png_writer.h"

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "format_test_support.h"
#include "formats/png_image_data.h"
#include "png_test_support.h"

namespace sprite::formats {
namespace {

std::string Refusal(ByteView file, const PngLimits& limits = {}) {
  try {
    ReadPng(file, limits);
  } catch (const FaultError& error) {
    return error.what();
  }
  return "";
}

TEST(PngReader, EveryColourTypeBitDepthAndInterlaceGivesThePixelsItWasMadeOf) {
  using Colour = std::function<PngColour(std::uint32_t, std::uint32_t)>;
  const auto withAlpha = [](PngColour c, bool seeThrough) {
    c.alpha = seeThrough ? 0 : 255;
    return c;
  };
  struct Case {
    const char* file;
    PngForm form;
    Colour colour;
  };
  const auto indexed = [](std::uint32_t n) {
    return [n](std::uint32_t x, std::uint32_t y) { return PaletteColour(V(x, y) % n); };
  };
  for (const Case& c : {
           Case{"indexed-1bit.png", PngForm::kIndexed, indexed(2)},
           Case{"indexed-2bit.png", PngForm::kIndexed, indexed(4)},
           Case{"indexed-4bit.png", PngForm::kIndexed, indexed(16)},
           Case{"indexed-8bit.png", PngForm::kIndexed, indexed(256)},
           Case{"indexed-interlaced.png", PngForm::kIndexed, indexed(4)},
           Case{"indexed-trns.png", PngForm::kIndexed,
                [&](auto x, auto y) {
                  return withAlpha(PaletteColour(V(x, y) % 16), V(x, y) == 5);
                }},
           Case{"grey-1bit.png", PngForm::kRgba8, [](auto x, auto y) { return Grey(x, y, 1); }},
           Case{"grey-2bit-interlaced.png", PngForm::kRgba8,
                [](auto x, auto y) { return Grey(x, y, 2); }},
           Case{"grey-8bit.png", PngForm::kRgba8, [](auto x, auto y) { return Grey(x, y, 8); }},
           Case{"grey-16bit.png", PngForm::kRgba8, [](auto x, auto y) { return Grey(x, y, 8); }},
           Case{"grey-trns.png", PngForm::kRgba8,
                [&](auto x, auto y) { return withAlpha(Grey(x, y, 8), V(x, y) == V(2, 1)); }},
           Case{"grey-alpha.png", PngForm::kRgba8,
                [&](auto x, auto y) { return withAlpha(Grey(x, y, 8), Alpha(x, y) == 0); }},
           Case{"rgb.png", PngForm::kRgba8, Rgb},
           Case{"rgb-trns.png", PngForm::kRgba8,
                [&](auto x, auto y) { return withAlpha(Rgb(x, y), x == 3 && y == 2); }},
           Case{"rgba.png", PngForm::kRgba8,
                [&](auto x, auto y) { return withAlpha(Rgb(x, y), Alpha(x, y) == 0); }},
           Case{"rgba-16bit-interlaced.png", PngForm::kRgba8,
                [&](auto x, auto y) { return withAlpha(Rgb(x, y), Alpha(x, y) == 0); }},
       }) {
    SCOPED_TRACE(c.file);
    const PngPicture picture = ReadPng(ReadTestPng(c.file));
    ASSERT_EQ(picture.form, c.form);
    ASSERT_EQ(picture.width, kTestWidth);
    ASSERT_EQ(picture.height, kTestHeight);
    for (std::uint32_t y = 0; y < kTestHeight; ++y) {
      for (std::uint32_t x = 0; x < kTestWidth; ++x) {
        ASSERT_EQ(picture.At(x, y), c.colour(x, y)) << "pixel (" << x << ", " << y << ")";
      }
    }
  }
}

TEST(PngReader, IndexedPicturesKeepTheirIndexesAndTheirWholePalette) {
  for (std::uint32_t bits : {1u, 2u, 4u, 8u}) {
    const PngPicture picture = ReadPng(ReadTestPng("indexed-" + std::to_string(bits) + "bit.png"));
    const std::uint32_t n = 1u << bits;
    ASSERT_EQ(picture.palette.size(), n) << bits;
    for (std::uint32_t i = 0; i < kTestWidth * kTestHeight; ++i) {
      ASSERT_EQ(picture.pixels[i], V(i % kTestWidth, i / kTestWidth) % n) << bits << " bits, " << i;
    }
  }
}

TEST(PngReader, DamagedFilesAreRefusedWithTheirReason) {
  const Bytes good = ReadTestPng("indexed-4bit.png");
  // IHDR at 8, PLTE at 33: break one byte of each chunk's data in turn.
  const auto flipped = [&](std::size_t at) {
    Bytes file = good;
    file[at] ^= 0x01;
    return file;
  };
  struct Case {
    Bytes file;
    std::string reason;
  };
  for (const Case& c : {
           Case{flipped(17), "chunk IHDR at offset 8 is damaged: its CRC does not match"},
           Case{flipped(41), "chunk PLTE at offset 33 is damaged: its CRC does not match"},
           Case{flipped(good.size() - 20), "chunk IDAT at offset 93 is damaged"},
           Case{flipped(good.size() - 14), "chunk IDAT at offset 93 is damaged"},
           Case{ReadTestPng("index-past-plte.png"),
                "pixel (2, 0) uses palette index 2, past the 2 entries of its PLTE chunk"},
           Case{ReadTestPng("no-idat.png"), "it has no image data (no IDAT chunk)"},
           Case{ReadTestPng("huge-claim.png"), "the picture is 60000 × 60000 pixels, larger than"},
           Case{B({'G', 'I', 'F', '8', '9', 'a'}), "it is not a PNG picture"},
       }) {
    EXPECT_EQ(Refusal(c.file).rfind(c.reason, 0), 0u) << Refusal(c.file) << " for " << c.reason;
  }
  // Within the limits, the header's claim meets too little image data before anything is made.
  EXPECT_EQ(Refusal(ReadTestPng("huge-claim.png"),
                    {.maxWidth = 1u << 20, .maxHeight = 1u << 20, .maxPixels = 1ull << 40})
                .rfind("its image data (", 0),
            0u);
}

// A picture to be one archive entry is refused from its header when no entry
// holds it: the image data, one byte here, is never looked at. An entry's
// shape, as decode --png writes it, gives the height field to be stored.
TEST(PngReader, APictureNoEntryHoldsIsRefusedFromItsHeader) {
  const auto claim = [](std::uint32_t width, std::uint32_t height,
                        std::optional<EntryShape> shape) {
    Bytes file(kPngSignature.begin(), kPngSignature.end());
    Bytes ihdr = B({0, 0, 0, 0, 0, 0, 0, 0, 8, 6, 0, 0, 0});
    for (int i = 0; i < 4; ++i) {
      ihdr[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
      ihdr[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    AppendPngChunk(file, ChunkType("IHDR"), ihdr);
    if (shape) {
      const auto field = static_cast<std::uint16_t>(shape->heightField);
      const std::uint32_t stored = shape->storedLength;
      AppendPngChunk(
          file, kEntryShapeChunk,
          B({static_cast<std::uint8_t>(field >> 8), static_cast<std::uint8_t>(field),
             static_cast<std::uint8_t>(stored >> 24), static_cast<std::uint8_t>(stored >> 16),
             static_cast<std::uint8_t>(stored >> 8), static_cast<std::uint8_t>(stored)}));
    }
    AppendPngChunk(file, ChunkType("IDAT"), B({0}));
    AppendPngChunk(file, ChunkType("IEND"), {});
    return file;
  };
  const struct {
    std::uint32_t width, height;
    bool oneEntry;
    std::string refusal;
    std::optional<EntryShape> shape = std::nullopt;
  } cases[] = {
      {32768, 1, true,
       "it is too large: 32768 x 1 pixels; an archive entry holds at most 32767 in each direction"},
      {1, 32768, true,
       "it is too large: 1 x 32768 pixels; an archive entry holds at most 32767 in each direction"},
      {4096, 4096, true, "its pixel area of 16777216 bytes is too large for one archive entry"},
      {32767, 1, true, "its image data (1 byte) is far too short"},
      {4096, 4096, false, "its image data (1 byte) is far too short"},
      // An entry 1 wide whose height field says 5 of its 40000 rows.
      {1, 40000, true, "its image data (1 byte) is far too short", EntryShape{5, 40000}},
      // A shape that no longer fits the picture's size tells of no entry.
      {1, 40000, true,
       "it is too large: 1 x 40000 pixels; an archive entry holds at most 32767 in each direction",
       EntryShape{5, 100}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    const Bytes file = claim(c.width, c.height, c.shape);
    EXPECT_EQ(Refusal(file, {.oneEntry = c.oneEntry}).rfind(c.refusal, 0), 0u)
        << Refusal(file, {.oneEntry = c.oneEntry});
  }
}

TEST(PngReader, ColoursReadBeforeThePixelsAreThoseOfTheWholePicture) {
  for (const char* name : {"indexed-1bit.png", "indexed-8bit.png", "indexed-trns.png",
                           "indexed-interlaced.png", "rgb-trns.png", "grey-alpha.png"}) {
    const Bytes file = ReadTestPng(name);
    const PngPicture picture = ReadPng(file);
    const std::optional<PngColours> early = ReadPngColours(file);
    ASSERT_TRUE(early);
    EXPECT_EQ(early->form, picture.form);
    EXPECT_EQ(early->palette, picture.palette);
    // Cut within IHDR, there is not enough to say.
    EXPECT_FALSE(ReadPngColours(ByteView(file).first(30)));
  }
}

TEST(PngReader, AWrongCrcOnAChunkThePictureIsReadFromIsRefusedInEveryColourType) {
  struct Case {
    const char* file;
    std::string chunk;
  };
  for (const Case& c : {Case{"rgb.png", "IDAT"}, Case{"rgba.png", "IDAT"},
                        Case{"grey-8bit.png", "IDAT"}, Case{"grey-16bit.png", "IDAT"},
                        Case{"grey-alpha.png", "IDAT"}, Case{"rgba-16bit-interlaced.png", "IDAT"},
                        Case{"indexed-8bit.png", "IDAT"}, Case{"indexed-trns.png", "tRNS"},
                        Case{"rgb-trns.png", "tRNS"}, Case{"grey-trns.png", "tRNS"}}) {
    SCOPED_TRACE(c.file + (", " + c.chunk));
    Bytes file = ReadTestPng(c.file);
    // The first such chunk (none of these files holds its type's name elsewhere
    // before it), its data intact and the last byte of its CRC wrong.
    const std::size_t at =
        static_cast<std::size_t>(
            std::search(file.begin(), file.end(), c.chunk.begin(), c.chunk.end()) - file.begin()) -
        4;
    const std::size_t length = file[at + 2] * 256u + file[at + 3];
    file[at + 11 + length] ^= 0x01;
    const std::string reason = "chunk " + c.chunk + " at offset " + std::to_string(at) +
                               " is damaged: its CRC does not match its data";
    for (const PngDecoding decoding : {PngDecoding::kWholeWhereItCan, PngDecoding::kRowByRow}) {
      try {
        ReadPng(file, {}, decoding);
        ADD_FAILURE() << "read";
      } catch (const FaultError& error) {
        EXPECT_EQ(error.what(), reason);
        EXPECT_EQ(error.Details().offset, at);
      }
    }
    // The colours read before an indexed picture's pixels do not take its
    // damaged transparency either.
    if (std::string_view(c.file) == "indexed-trns.png") {
      EXPECT_THROW(ReadPngColours(file), FaultError);
    }
  }
}

TEST(PngReader, EveryTruncationIsRefusedWithAReason) {
  for (const char* name : {"indexed-2bit.png", "rgba-16bit-interlaced.png", "grey-trns.png"}) {
    const Bytes whole = ReadTestPng(name);
    for (std::size_t length = 0; length < whole.size(); ++length) {
      EXPECT_NE(Refusal(ByteView(whole).first(length)), "") << name << " cut to " << length;
    }
  }
}

TEST(PngReader, RandomDamageIsReadOrRefusedNeverMore) {
  const Bytes whole = ReadTestPng("rgba.png");
  std::mt19937 random(17);
  for (int round = 0; round < 2000; ++round) {
    Bytes file = whole;
    for (int flips = 1 + static_cast<int>(random() % 3); flips > 0; --flips) {
      file[8 + random() % (file.size() - 8)] = static_cast<std::uint8_t>(random());
    }
    try {
      const PngPicture picture = ReadPng(file);
      EXPECT_EQ(picture.pixels.size(), 4u * picture.width * picture.height);
    } catch (const FaultError&) {
    }
  }
}

Bytes RandomArchivePalette(std::mt19937& random) {
  Bytes palette(1024);
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = i % 4 == 3 ? 0 : static_cast<std::uint8_t>(random());
  }
  return palette;
}

std::size_t SamplesOf(std::uint8_t colourType) {
  return colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
}

// A PNG of random rows, each behind a random filter type,
// its image data split over `parts` IDAT chunks.
Bytes RandomlyFilteredPng(std::mt19937& random, std::uint8_t colourType, std::uint8_t bitDepth,
                          std::uint32_t width, std::uint32_t height, std::size_t parts,
                          ByteView trns) {
  const std::size_t rowBytes = (width * SamplesOf(colourType) * bitDepth + 7) / 8;
  Bytes raw;
  for (std::uint32_t y = 0; y < height; ++y) {
    raw.push_back(static_cast<std::uint8_t>(random() % 5));
    for (std::size_t i = 0; i < rowBytes; ++i) {
      // Indexes of a 16-entry palette, runs and noise for the others.
      raw.push_back(static_cast<std::uint8_t>(colourType == 3     ? random() % 16
                                              : random() % 3 == 0 ? 0
                                                                  : random()));
    }
  }
  return PngOfScanlines({colourType, bitDepth, width, height}, raw, parts, trns);
}

TEST(PngReader, ImageDataDecodedWholeIsWhatLibspngDecodesRowByRow) {
  std::mt19937 random(7);
  struct Case {
    std::uint8_t colourType;
    std::uint8_t bitDepth;
    Bytes trns;
  };
  for (const Case& c :
       {Case{0, 8, {}}, Case{0, 8, {0, 0}}, Case{0, 8, {1, 0}}, Case{2, 8, {}},
        Case{2, 8, {1, 0, 0, 0, 0, 0}}, Case{4, 8, {}}, Case{6, 8, {}}, Case{3, 8, {}},
        Case{3, 4, {0, 255, 9}}, Case{3, 1, {}}, Case{0, 16, {}}, Case{0, 2, {}}}) {
    for (const std::uint32_t width : {1u, 2u, 5u, 33u}) {
      const std::size_t parts = 1 + width % 3;
      const Bytes png =
          RandomlyFilteredPng(random, c.colourType, c.bitDepth, width, 9, parts, c.trns);
      SCOPED_TRACE(testing::Message() << "colour type " << int{c.colourType} << ", "
                                      << int{c.bitDepth} << " bits, " << width << " wide");
      const auto read = [&](PngDecoding decoding) -> std::optional<PngPicture> {
        try {
          return ReadPng(png, {}, decoding);
        } catch (const FaultError&) {
          return std::nullopt;
        }
      };
      const std::optional<PngPicture> whole = read(PngDecoding::kWholeWhereItCan);
      const std::optional<PngPicture> rows = read(PngDecoding::kRowByRow);
      ASSERT_EQ(whole.has_value(), rows.has_value());
      if (whole) {
        EXPECT_EQ(whole->pixels, rows->pixels);
        EXPECT_EQ(whole->palette, rows->palette);
        if (whole->form == PngForm::kRgba8) {
          bool partial = false;
          for (std::size_t i = 3; i < whole->pixels.size(); i += 4) {
            partial |= whole->pixels[i] != 0 && whole->pixels[i] != 255;
          }
          EXPECT_EQ(whole->partialAlpha, partial);
          EXPECT_EQ(rows->partialAlpha, partial);
        }
      }
    }
  }
}

TEST(PngReader, ChunksAfterTheImageDataAreTakenAlikeByEitherDecoding) {
  std::mt19937 random(3);
  // Decoded whole, and by libspng, which reads on past the image data: for
  // 16-bit samples whatever the decoding asked for.
  for (const std::uint8_t bitDepth : {std::uint8_t{8}, std::uint8_t{16}}) {
    const std::uint8_t colourType = bitDepth == 8 ? 3 : 0;
    const std::size_t rowBytes = 4 * bitDepth / 8;
    Bytes raw;
    for (std::size_t i = 0; i < 3 * (1 + rowBytes); ++i) {
      raw.push_back(i % (1 + rowBytes) == 0 ? 0 : static_cast<std::uint8_t>(random() % 16));
    }
    const Bytes good = PngOfScanlines({colourType, bitDepth, 4, 3}, raw, 2);
    const std::size_t iend = good.size() - 12;
    using Chunks = std::vector<std::pair<PngChunkType, Bytes>>;
    // `chunks` written where IEND was, IEND after them unless `keepEnd` is false.
    const auto before = [&](const Chunks& chunks, bool keepEnd = true) {
      Bytes file(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(iend));
      for (const auto& [type, data] : chunks) {
        AppendPngChunk(file, type, data);
      }
      if (keepEnd) {
        AppendPngChunk(file, ChunkType("IEND"), {});
      }
      return file;
    };
    const Bytes text = B({'a', 0, 'b'});
    const std::string at = " at offset " + std::to_string(iend);
    struct Case {
      Bytes file;
      std::string refusal;  // empty: the picture reads
    };
    for (const Case& c : {
             Case{before({{ChunkType("IHDR"), Bytes(good.begin() + 16, good.begin() + 29)}}),
                  "chunk IHDR" + at + " is a second IHDR chunk"},
             Case{before({{ChunkType("tEXt"), text}, {ChunkType("IDAT"), B({0})}}),
                  "chunk IDAT at offset " + std::to_string(iend + 15) + " comes after other"},
             Case{before({{ChunkType("ABCD"), B({1})}}), "chunk ABCD" + at + " is a critical"},
             Case{before({{ChunkType("IEND"), B({1})}}, false),
                  "chunk IEND" + at + " holds data (1 byte)"},
             Case{before(Chunks(1200, {ChunkType("tEXt"), text})), ""},
             Case{before({{ChunkType("PLTE"), B({1, 2, 3})}, {ChunkType("tIME"), B({1})}}), ""},
         }) {
      for (const PngDecoding decoding : {PngDecoding::kWholeWhereItCan, PngDecoding::kRowByRow}) {
        std::string refusal;
        try {
          ReadPng(c.file, {}, decoding);
        } catch (const FaultError& error) {
          refusal = error.what();
        }
        EXPECT_EQ(refusal.empty(), c.refusal.empty()) << refusal;
        EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal << " for " << c.refusal;
      }
    }
  }
}

// libspng says only that a limit was reached; the refusal names the chunk that reached it.
TEST(PngReader, AnAncillaryChunkPastTheLimitsIsNamedWithItsOffset) {
  const Bytes good = PngOfScanlines({0, 8, 1, 1}, B({0, 7}));
  constexpr std::size_t kAfterHeader = 33;
  using Chunks = std::vector<std::pair<PngChunkType, Bytes>>;
  const auto before = [&](const Chunks& chunks) {
    Bytes file(good.begin(), good.begin() + kAfterHeader);
    for (const auto& [type, data] : chunks) {
      AppendPngChunk(file, type, data);
    }
    file.insert(file.end(), good.begin() + kAfterHeader, good.end());
    return file;
  };
  // 16 KiB of zero bytes deflated, behind a keyword and the fields before the text or profile.
  const auto inflating = [](Bytes fields) {
    const Bytes zeros(16384, 0);
    Bytes stream(256);
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    stream.resize(libdeflate_zlib_compress(compressor, zeros.data(), zeros.size(), stream.data(),
                                           stream.size()));
    libdeflate_free_compressor(compressor);
    fields.insert(fields.end(), stream.begin(), stream.end());
    return fields;
  };
  const Bytes text = B({'a', 0, 'b'});
  Bytes longText(700, 'c');
  longText[1] = 0;
  const std::string past = " goes past what a picture's ancillary chunks may hold here";
  const PngLimits small{.maxChunkBytes = 1024, .maxChunkCacheBytes = 2048};
  struct Case {
    Bytes file;
    std::string refusal;
    PngLimits limits;
  };
  for (const Case& c : {
           Case{before({{ChunkType("tEXt"), text}, {ChunkType("zTXt"), inflating(B({'a', 0, 0}))}}),
                "chunk zTXt at offset 48" + past, small},
           Case{before({{ChunkType("iCCP"), inflating(B({'p', 0, 0}))}}),
                "chunk iCCP at offset 33" + past, small},
           Case{before({{ChunkType("iTXt"), inflating(B({'a', 0, 1, 0, 0, 0}))}}),
                "chunk iTXt at offset 33" + past, small},
           Case{before(Chunks(3, {ChunkType("tEXt"), longText})),
                "chunk tEXt at offset " + std::to_string(33 + 2 * (12 + 700)) + past, small},
           Case{before(Chunks(1001, {ChunkType("tEXt"), text})),
                "chunk tEXt at offset " + std::to_string(33 + 1000 * 15) + past,
                {}},
       }) {
    const std::string refusal = Refusal(c.file, c.limits);
    EXPECT_EQ(refusal.rfind(c.refusal, 0), 0u) << refusal << " for " << c.refusal;
  }
}

// Scanlines of 16-bit RGBA pixels, big-endian, one row of them.
Bytes SixteenBitRow(const std::vector<std::array<std::uint16_t, 4>>& pixels) {
  Bytes raw{0};
  for (const auto& pixel : pixels) {
    for (const std::uint16_t sample : pixel) {
      raw.push_back(static_cast<std::uint8_t>(sample >> 8));
      raw.push_back(static_cast<std::uint8_t>(sample));
    }
  }
  return raw;
}

TEST(PngReader, SixteenBitSamplesRoundToTheNearestEightBitValue) {
  // Each pixel's four samples alike: 128 and below round to 0 (see-through),
  // 65407 and above to 255 (opaque), and between them alpha is partial.
  const std::uint16_t samples[] = {0, 1, 128, 129, 385, 386, 32767, 65406, 65407, 65534, 65535};
  const std::uint8_t rounded[] = {0, 0, 0, 1, 1, 2, 127, 254, 255, 255, 255};
  std::vector<std::array<std::uint16_t, 4>> pixels;
  for (const std::uint16_t sample : samples) {
    pixels.push_back({sample, sample, sample, sample});
  }
  const PngPicture picture = ReadPng(
      PngOfScanlines({.colourType = 6, .bitDepth = 16, .width = 11}, SixteenBitRow(pixels)));
  for (std::uint32_t x = 0; x < 11; ++x) {
    const std::uint8_t r = rounded[x];
    EXPECT_EQ(picture.At(x, 0), (PngColour{r, r, r, r})) << samples[x];
  }
  EXPECT_EQ(picture.partialAlpha, true);
}

TEST(PngReader, SixteenBitColoursThatRoundToOneAreCountedOnce) {
  constexpr std::uint16_t kOpaque = 65535;
  const Bytes raw = SixteenBitRow({{0x1200, 0, 0, kOpaque},
                                   {0x1201, 0, 0, kOpaque},
                                   {0x1250, 0, 0, kOpaque},
                                   {0, 0x3000, 0, kOpaque},
                                   {0, 0x3001, 0, kOpaque},
                                   {0x8080, 0x8080, 0x8080, kOpaque},
                                   // See-through: its colour is not kept, nor counted.
                                   {0x8081, 0x8080, 0x8080, 0}});
  const PngPicture picture =
      ReadPng(PngOfScanlines({.colourType = 6, .bitDepth = 16, .width = 7}, raw));
  EXPECT_EQ(picture.mergedColours, 2u);
  EXPECT_TRUE(picture.mergedCountComplete);
  EXPECT_EQ(picture.At(2, 0), (PngColour{18, 0, 0, 255}));
  // Samples that are 8-bit values widened (v × 257) merge nothing.
  EXPECT_EQ(ReadPng(ReadTestPng("rgba-16bit-interlaced.png")).mergedColours, 0u);
}

TEST(PngFilters, ThePaethPredictorTakesTheNeighbourNearestItsEstimate) {
  // Every triple of left (a), above (b) and above-left (c), against the rule
  // as PNG states it: the one nearest to a + b - c, ties in the order a, b, c.
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      for (int c = 0; c < 256; ++c) {
        const int estimate = a + b - c;
        const std::array<int, 3> neighbours{a, b, c};
        const int nearest = *std::ranges::min_element(
            neighbours, {}, [estimate](int n) { return std::abs(estimate - n); });
        if (PaethPredictor(a, b, c) != nearest) {
          FAIL() << "a " << a << ", b " << b << ", c " << c;
        }
      }
    }
  }
}

TEST(PngReader, APaethRowWhoseEstimateTiesAboveAndAboveLeftTakesAbove) {
  // Grey, 2 × 2, the second row behind the Paeth filter. At (1, 1) left is 6,
  // above 0, above-left 4: the estimate 2 is as near to 0 as to 4.
  const Bytes png = PngOfScanlines({.width = 2, .height = 2}, B({0, 4, 0, 4, 2, 9}));
  for (const PngDecoding decoding : {PngDecoding::kWholeWhereItCan, PngDecoding::kRowByRow}) {
    const PngPicture picture = ReadPng(png, {}, decoding);
    EXPECT_EQ(picture.At(0, 1).red, 6);
    EXPECT_EQ(picture.At(1, 1).red, 9);
  }
}

TEST(PngReader, NarrowInterlacedPicturesComeOutInRowOrder) {
  // Adam7: where each pass starts and how far it steps, across and down.
  constexpr std::uint32_t kStart[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {1, 0}, {0, 1}};
  constexpr std::uint32_t kStep[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4}, {2, 4}, {2, 2}, {1, 2}};
  for (const std::uint8_t colourType : {std::uint8_t{0}, std::uint8_t{3}}) {
    for (const std::uint32_t width : {1u, 2u, 3u}) {
      for (std::uint32_t height = 1; height <= 9; ++height) {
        const auto value = [&](std::uint32_t x, std::uint32_t y) {
          return static_cast<std::uint8_t>((5 * y + x + 1) % 16);
        };
        Bytes raw;
        for (int pass = 0; pass < 7; ++pass) {
          for (std::uint32_t y = kStart[pass][1]; y < height && kStart[pass][0] < width;
               y += kStep[pass][1]) {
            raw.push_back(0);
            for (std::uint32_t x = kStart[pass][0]; x < width; x += kStep[pass][0]) {
              raw.push_back(value(x, y));
            }
          }
        }
        SCOPED_TRACE(testing::Message()
                     << "colour type " << int{colourType} << ", " << width << " × " << height);
        const PngPicture picture = ReadPng(PngOfScanlines(
            {.colourType = colourType, .width = width, .height = height, .interlaced = true}, raw));
        for (std::uint32_t y = 0; y < height; ++y) {
          for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t shown =
                colourType == 3 ? picture.pixels[y * width + x] : picture.At(x, y).red;
            ASSERT_EQ(shown, value(x, y)) << "pixel (" << x << ", " << y << ")";
          }
        }
      }
    }
  }
}

TEST(PngWriter, AnEntryWrittenAndReadBackIsTheSameEntry) {
  std::mt19937 random(5);
  struct Shape {
    std::int32_t width;
    std::size_t stored;
  };
  // Whole rows, a short last row, no rows at all, one long row.
  std::vector<Shape> shapes = {{4, 8}, {4, 10}, {3, 0}, {1, 1}, {32767, 40000}, {5, 4}};
  for (int i = 0; i < 40; ++i) {
    shapes.push_back({1 + static_cast<std::int32_t>(random() % 70), random() % 900});
  }
  for (const Shape& shape : shapes) {
    for (const bool seeThrough : {true, false}) {
      Bytes rows(shape.stored);
      for (auto& pixel : rows) {
        pixel = random() % 3 == 0 ? 0 : static_cast<std::uint8_t>(random());
      }
      const Bytes palette = RandomArchivePalette(random);
      const auto width = static_cast<std::size_t>(shape.width);
      const auto rowCount = static_cast<std::int16_t>((shape.stored + width - 1) / width);
      const std::int16_t heightField =
          random() % 2 ? rowCount : static_cast<std::int16_t>(random());
      SCOPED_TRACE(std::to_string(shape.width) + " wide, " + std::to_string(shape.stored) +
                   " bytes, height field " + std::to_string(heightField));

      const PngPicture picture = ReadPng(
          WriteEntryPng(shape.width, heightField, rows, palette, {.seeThroughIndex0 = seeThrough}));
      ASSERT_EQ(picture.form, PngForm::kIndexed);
      ASSERT_EQ(picture.palette.size(), 256u);
      for (std::size_t i = 0; i < 256; ++i) {
        const PngColour expected{palette[4 * i], palette[4 * i + 1], palette[4 * i + 2],
                                 static_cast<std::uint8_t>(i == 0 && seeThrough ? 0 : 255)};
        ASSERT_EQ(picture.palette[i], expected) << "entry " << i;
      }
      const bool plain = shape.stored % width == 0 && shape.stored > 0 && heightField == rowCount;
      EXPECT_EQ(picture.entryShape.has_value(), !plain);
      const EntryRows entry = EntryOfPicture(picture.height, picture.pixels, picture.entryShape);
      EXPECT_EQ(entry.heightField, heightField);
      EXPECT_EQ(entry.storedRows, rows);
    }
  }
}

TEST(PngWriter, AShapeThatDoesNotFitThePictureIsIgnoredOnReading) {
  // As after an editor resized the picture and kept the chunk: 4 × 2 pixels hold 5 to 8 bytes.
  for (const std::uint32_t stored : {0u, 4u, 9u}) {
    const Bytes file =
        WriteIndexedPng(4, 2, Bytes(8, 1), PatternPalette(), {}, EntryShape{-2, stored});
    EXPECT_FALSE(ReadPng(file).entryShape) << stored;
  }
  const Bytes file = WriteIndexedPng(4, 2, Bytes(8, 1), PatternPalette(), {}, EntryShape{-2, 5});
  EXPECT_EQ(ReadPng(file).entryShape, (EntryShape{-2, 5}));
}

}  // namespace
}  // namespace sprite::formats
