#include "formats/bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "common/error.h"
#include "format_test_support.h"
#include "formats/little_endian.h"

namespace sprite::formats {
namespace {

void Put32(Bytes& file, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

std::optional<Fault> ReadFault(ByteView file) {
  try {
    ReadAcceptedBitmap(file, ReadBitmapHeaders(file));
  } catch (const FaultError& error) {
    return error.Details();
  }
  return std::nullopt;
}

TEST(WriteBitmap, WidthThreeTwoRowsIsTheTabledFile) {
  const Bytes area = B({5, 0, 0, 0, 0, 0, 7, 0});
  const Bytes file = WriteBitmap(3, 2, PatternPalette(), area);
  const Bytes header = B({'B', 'M', 0x3E, 0x04, 0, 0, 0, 0, 0, 0, 0x36, 0x04, 0, 0, 40, 0, 0, 0,
                          3,   0,   0,    0,    2, 0, 0, 0, 1, 0, 8,    0,    0, 0, 0,  0, 8, 0,
                          0,   0,   0,    0,    0, 0, 0, 0, 0, 0, 0,    1,    0, 0, 0,  0, 0, 0});
  EXPECT_EQ(file, Concat({header, PatternPalette(), area}));
  EXPECT_EQ(file.size(), 1086u);
}

TEST(WriteBitmap, SignExtendsWidthAndHeightAndChecksThePalette) {
  const Bytes file = WriteBitmap(-3, -2, PatternPalette(), {});
  EXPECT_EQ(ReadBitmapHeaders(file).width, -3);
  EXPECT_EQ(ReadLittleEndian(file, 22, 4), 0xFFFFFFFEu);
  EXPECT_EQ(file.size(), 1078u);
  EXPECT_THROW(WriteBitmap(3, 2, Bytes(1023), {}), InvalidArgumentError);
}

TEST(ReadBitmapHeaders, FieldsCutOffByTheEndReadAsZeroBytes) {
  const Bytes whole = WriteBitmap(0x0102, 0x0304, PatternPalette(), {});
  EXPECT_EQ(ReadBitmapHeaders({}).bitsPerPixel, 0);
  EXPECT_EQ(ReadBitmapHeaders({}).pixelOffset, 0u);
  EXPECT_EQ(ReadBitmapHeaders(ByteView(whole).first(19)).width, 0x02);
  EXPECT_EQ(ReadBitmapHeaders(ByteView(whole).first(20)).width, 0x0102);
  EXPECT_EQ(ReadBitmapHeaders(ByteView(whole).first(47)).coloursUsed, 0u);  // low byte 00
  EXPECT_EQ(ReadBitmapHeaders(ByteView(whole).first(48)).coloursUsed, 256u);
}

TEST(PassesAcceptanceTest, OnlyEightBitsAndExactly256Colours) {
  struct Case {
    std::uint16_t bits;
    std::uint32_t colours;
    std::uint32_t compression;
    bool accepted;
  };
  for (const Case& c : {Case{8, 256, 0, true}, Case{8, 256, 1, true}, Case{8, 0, 0, false},
                        Case{8, 255, 0, false}, Case{8, 257, 0, false}, Case{4, 256, 0, false},
                        Case{24, 256, 0, false}, Case{0, 0, 0, false}}) {
    BitmapHeaders headers;
    headers.bitsPerPixel = c.bits;
    headers.coloursUsed = c.colours;
    headers.compression = c.compression;
    EXPECT_EQ(PassesAcceptanceTest(headers), c.accepted) << c.bits << " bpp, " << c.colours;
  }
  Bytes noSignature = WriteBitmap(1, 1, PatternPalette(), B({9, 0, 0, 0}));
  noSignature[0] = 'X';
  EXPECT_TRUE(PassesAcceptanceTest(ReadBitmapHeaders(noSignature)));
}

TEST(ReadAcceptedBitmap, TakesThePaletteAfterALargerHeaderOnlyWhenItEndsBeforeThePixels) {
  // Each file is laid out as its writer made it: the palette where `paletteAt`
  // says, the pixels where `pixelsAt` says, the size field as `sizeField` says.
  struct Case {
    const char* name;
    std::uint32_t sizeField;
    std::size_t paletteAt;
    std::size_t pixelsAt;
  };
  for (const Case& c : {
           Case{"64-byte header", 64, 78, 1102},
           Case{"108-byte header", 108, 122, 1146},
           Case{"124-byte header", 124, 138, 1162},
           Case{"124-byte header, pixels 1 byte early", 124, 54, 1161},
           Case{"1000-byte header", 1000, 1014, 2038},
           Case{"size field 1000 over a 40-byte header", 1000, 54, 1078},
           Case{"size field 0xFFFFFFF0 over a 40-byte header", 0xFFFFFFF0, 54, 1078},
       }) {
    SCOPED_TRACE(c.name);
    Bytes file(c.pixelsAt, 0xEE);  // header bytes the reader must not take for colours
    const Bytes classic = WriteBitmap(2, 1, Bytes(1024, 0xEE), {});
    std::copy_n(classic.begin(), 54, file.begin());
    Put32(file, 10, static_cast<std::uint32_t>(c.pixelsAt));
    Put32(file, 14, c.sizeField);
    std::copy_n(PatternPalette().begin(), 1024,
                file.begin() + static_cast<std::ptrdiff_t>(c.paletteAt));
    file.insert(file.end(), {1, 2, 0, 0});
    const AcceptedBitmap bitmap = ReadAcceptedBitmap(file, ReadBitmapHeaders(file));
    EXPECT_EQ(bitmap.palette, PatternPalette());
    EXPECT_EQ(bitmap.pixelArea, B({1, 2, 0, 0}));
  }
}

TEST(ReadAcceptedBitmap, PixelAreaRunsFromTheOffsetToTheEnd) {
  Bytes file = WriteBitmap(4, 1, PatternPalette(), B({1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ReadAcceptedBitmap(file, ReadBitmapHeaders(file)).pixelArea, B({1, 2, 3, 4, 5, 6}));
  Put32(file, 10, static_cast<std::uint32_t>(file.size()));  // offset at the end: empty area
  EXPECT_TRUE(ReadAcceptedBitmap(file, ReadBitmapHeaders(file)).pixelArea.empty());
  Put32(file, 10, 3);  // an offset inside the headers is followed as it stands
  EXPECT_EQ(ReadAcceptedBitmap(file, ReadBitmapHeaders(file)).pixelArea.size(), file.size() - 3);
}

TEST(ReadAcceptedBitmap, DamagedFilesSayWhatAndWhere) {
  const Bytes good = WriteBitmap(4, 1, PatternPalette(), Bytes(1922));  // 3000 bytes
  struct Case {
    std::size_t offset;
    std::uint32_t value;
    FaultKind kind;
    std::int64_t faultValue;
  };
  for (const Case& c : {
           Case{10, 5000, FaultKind::kPixelsPastEnd, 5000},
           Case{18, 0, FaultKind::kWidthWithoutRows, 0},
           Case{18, 0xFFFFFFFF, FaultKind::kWidthWithoutRows, -1},
       }) {
    Bytes file = good;
    Put32(file, c.offset, c.value);
    const std::optional<Fault> fault = ReadFault(file);
    ASSERT_TRUE(fault) << c.offset;
    EXPECT_EQ(fault->kind, c.kind);
    EXPECT_EQ(fault->value, c.faultValue);
  }
  const std::optional<Fault> cut = ReadFault(ByteView(good).first(1077));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->kind, FaultKind::kPaletteCut);
  EXPECT_EQ(cut->offset, 54u);
  EXPECT_EQ(cut->value, 1077);
  EXPECT_EQ(cut->bound, 1078);
}

TEST(JudgeBitmap, SaysWhyAFileCannotBeStored) {
  const Bytes good = WriteBitmap(4, 1, PatternPalette(), Bytes(4));
  using Judged = std::pair<FaultKind, std::int64_t>;
  // The kind and the value of the fault; a storable file gets kStopped, which no judge gives.
  const auto judged = [](const Bytes& file) {
    const std::optional<Fault> fault = JudgeBitmap(file, ReadBitmapHeaders(file));
    return fault ? Judged(fault->kind, fault->value) : Judged(FaultKind::kStopped, -1);
  };
  Bytes twentyFour = good;
  twentyFour[28] = 24;
  Bytes sixteenColours = good;
  Put32(sixteenColours, 46, 16);
  Bytes compressed = good;
  Put32(compressed, 30, 1);
  const Bytes png = B({0x89, 'P', 'N', 'G', 13, 10, 26, 10});
  // An OS/2 header whose palette happens to read as 8 bits and 256 colours.
  Bytes core = good;
  Put32(core, 14, 12);
  core[24] = 4;
  EXPECT_EQ(judged(good), Judged(FaultKind::kStopped, -1));
  EXPECT_EQ(judged(core), Judged(FaultKind::kOs2Header, 4));
  EXPECT_EQ(judged({}).first, FaultKind::kEmptyFile);
  EXPECT_EQ(judged(png).first, FaultKind::kNotABitmap);
  EXPECT_EQ(judged(B({'B', 'M', 0, 0})), Judged(FaultKind::kHeadersCut, 4));
  EXPECT_EQ(judged(twentyFour), Judged(FaultKind::kNotEightBit, 24));
  EXPECT_EQ(judged(sixteenColours), Judged(FaultKind::kNot256Colours, 16));
  EXPECT_EQ(judged(compressed), Judged(FaultKind::kCompressed, 1));
}

TEST(ReadAcceptedBitmap, EveryTruncationIsRejectedOrReadsTheBytesThatRemain) {
  const Bytes whole = WriteBitmap(3, 2, PatternPalette(), B({1, 2, 3, 0, 4, 5, 6, 0}));
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const ByteView file(whole.data(), length);
    const BitmapHeaders headers = ReadBitmapHeaders(file);
    if (!PassesAcceptanceTest(headers)) {
      EXPECT_LT(length, 48u);
    } else if (length < 1078) {
      EXPECT_THROW(ReadAcceptedBitmap(file, headers), FaultError) << length;
    } else {
      const ByteView remaining = file.subspan(1078);
      EXPECT_EQ(ReadAcceptedBitmap(file, headers).pixelArea,
                Bytes(remaining.begin(), remaining.end()));
    }
  }
}

}  // namespace
}  // namespace sprite::formats
