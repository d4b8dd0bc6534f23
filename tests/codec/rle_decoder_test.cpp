#include "codec/rle_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "codec/codec_test_support.h"
#include "codec/recording_rows_host.h"
#include "common/error.h"

namespace sprite::codec {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using Kind = HostCall::Kind;

HostCall Bar1(std::int32_t p) {
  return {Kind::kFirstBar, p};
}
HostCall Bar2(std::int32_t p) {
  return {Kind::kSecondBar, p};
}
HostCall Yield() {
  return {Kind::kYield};
}

struct DecodeCase {
  const char* name;
  Bytes coded;
  Bytes pixels;
};

TEST(RLEDecompress, DecodesEachCase) {
  const DecodeCase cases[] = {
      {"empty", {}, {}},
      {"literals and a run", Hex("41 00 03 42 42 00 01"), Hex("41 00 00 00 42 42 00")},
      {"a count of 0 stands for nothing", Hex("00 00"), {}},
      {"count 0 between literals", Hex("41 00 00 42"), Hex("41 42")},
      {"two runs", Hex("00 FF 00 01"), Zeros(256)},
      {"a zero count byte after a run", Hex("00 02 00 00 00 01"), Zeros(3)},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RLEDecompress(c.coded), c.pixels);
  }
}

TEST(RLEDecompress, RejectsALoneTrailingZeroAndSaysWhere) {
  for (const Bytes& coded : {Hex("00"), Hex("41 00"), Hex("00 05 00"), Hex("00 00 00")}) {
    try {
      RLEDecompress(coded);
      ADD_FAILURE() << "no error for a stream of " << coded.size() << " bytes";
    } catch (const FaultError& e) {
      EXPECT_EQ(e.Kind(), FaultKind::kLoneRunMarker);
      EXPECT_EQ(e.Details().value, static_cast<std::int64_t>(coded.size()));
    }
  }
}

TEST(RLEDecompress, TakesStreamsOfAtMost32766Bytes) {
  EXPECT_EQ(RLEDecompress(Bytes(32766, 0x41)), Bytes(32766, 0x41));
  EXPECT_EQ(RLEDecompress(Concat({Bytes(32764, 0x41), Hex("00 FF")})).size(), 32764u + 255u);
  EXPECT_THROW(RLEDecompress(Bytes(32767, 0x41)), OverflowError);
  // The counter passes its limit before the missing count byte is read.
  EXPECT_THROW(RLEDecompress(Concat({Bytes(32766, 0x41), Hex("00")})), OverflowError);
  EXPECT_THROW(RLEDecompress(Bytes(70000, 0x41)), OverflowError);
}

// The decoded bytes 01..n are stored as n literals.
Bytes Counting(std::uint8_t n) {
  Bytes out;
  for (std::uint8_t b = 1; b <= n; ++b) {
    out.push_back(b);
  }
  return out;
}

struct AreaCase {
  const char* name;
  Bytes coded;
  std::int16_t width;
  Bytes area;
};

TEST(RLEDecompressRows, ReversesRowsAndAlignsEachToFourBytes) {
  const AreaCase cases[] = {
      {"short first row, pad 1", Counting(7), 3, Hex("07 00 04 05 06 00 01 02 03 00")},
      {"width 4 has no alignment", Counting(8), 4, Hex("05 06 07 08 01 02 03 04")},
      {"width 1, pad 3", Counting(2), 1, Hex("02 00 00 00 01 00 00 00")},
      {"width 2, pad 2", Counting(4), 2, Hex("03 04 00 00 01 02 00 00")},
      {"width 3, pad 1", Counting(6), 3, Hex("04 05 06 00 01 02 03 00")},
      {"width 5, pad 3", Counting(10), 5, Hex("06 07 08 09 0A 00 00 00 01 02 03 04 05 00 00 00")},
      {"short first row keeps the full padding", Counting(6), 5,
       Hex("06 00 00 00 01 02 03 04 05 00 00 00")},
      {"runs are decoded before rows are cut", Hex("00 05 09"), 3, Hex("00 00 09 00 00 00 00 00")},
      {"one row wider than the data", Counting(3), 6, Hex("01 02 03 00 00")},
  };
  for (const AreaCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingRowsHost host;
    EXPECT_EQ(RLEDecompressRows(c.coded, c.width, host), c.area);
  }
}

TEST(RLEDecompressRows, ReportsEveryElementThenEveryRow) {
  RecordingRowsHost host;
  // Elements end at positions 1, 3 and 4 of 4; ten decoded bytes in rows of 3.
  RLEDecompressRows(Hex("41 00 08 42"), 3, host);
  EXPECT_THAT(host.calls, ElementsAreArray({Bar1(25), Yield(), Bar1(75), Yield(), Bar1(100),
                                            Yield(), Yield(), Bar2(10), Yield(), Bar2(40), Yield(),
                                            Bar2(70), Yield(), Bar2(100)}));
}

TEST(RLEDecompressRows, RoundsPercentagesHalfToEven) {
  RecordingRowsHost host;
  RLEDecompressRows(Counting(8), 8, host);
  EXPECT_THAT(host.calls,
              ElementsAreArray({Bar1(12), Yield(), Bar1(25), Yield(), Bar1(38), Yield(), Bar1(50),
                                Yield(), Bar1(62), Yield(), Bar1(75), Yield(), Bar1(88), Yield(),
                                Bar1(100), Yield(), Yield(), Bar2(12)}));
}

TEST(RLEDecompressRows, ShowsHalfwayAfterTheElementEndingAtTheMiddleOfTheStream) {
  // 98 literals, then a run at positions 99-100, then 100 literals: 200 bytes.
  const Bytes coded = Concat({Bytes(98, 0x41), Hex("00 03"), Bytes(100, 0x42)});
  RecordingRowsHost host;
  const Bytes area = RLEDecompressRows(coded, 16, host);
  EXPECT_EQ(area.size(), 201u);
  std::vector<std::int32_t> firstBar;
  std::vector<std::int32_t> secondBar;
  for (const HostCall& call : host.calls) {
    if (call.kind == Kind::kFirstBar) {
      firstBar.push_back(call.percent);
    } else if (call.kind == Kind::kSecondBar) {
      secondBar.push_back(call.percent);
    }
  }
  ASSERT_EQ(firstBar.size(), 199u);
  EXPECT_EQ(firstBar[98], 50);  // the run
  EXPECT_EQ(firstBar.back(), 100);
  EXPECT_TRUE(std::is_sorted(firstBar.begin(), firstBar.end()));
  EXPECT_TRUE(std::is_sorted(secondBar.begin(), secondBar.end()));
  EXPECT_LE(secondBar.back(), 100);
}

TEST(RLEDecompressRows, CallsNothingForAnEmptyStream) {
  RecordingRowsHost host;
  EXPECT_TRUE(RLEDecompressRows({}, 3, host).empty());
  EXPECT_TRUE(host.calls.empty());
}

TEST(RLEDecompressRows, WalksNoRowsWhenTheStreamDecodesToNothing) {
  RecordingRowsHost host;
  EXPECT_TRUE(RLEDecompressRows(Hex("00 00 00 00"), 3, host).empty());
  EXPECT_THAT(host.calls, ElementsAreArray({Bar1(50), Yield(), Bar1(100), Yield()}));
}

TEST(RLEDecompressRows, RejectsWidthsWithoutRowsBeforeAnyHostCall) {
  for (const std::int16_t width :
       {std::int16_t{0}, std::int16_t{-1}, std::int16_t{-4}, std::int16_t{-32768}}) {
    for (const Bytes& coded : {Bytes{}, Hex("41 00 03 42")}) {
      RecordingRowsHost host;
      try {
        RLEDecompressRows(coded, width, host);
        ADD_FAILURE() << "no error for width " << width;
      } catch (const FaultError& e) {
        EXPECT_EQ(e.Kind(), FaultKind::kWidthWithoutRows);
        EXPECT_EQ(e.Details().value, width);
      }
      EXPECT_TRUE(host.calls.empty());
    }
  }
}

TEST(RLEDecompressRows, ReportsTheElementsBeforeALoneTrailingZeroThenFails) {
  RecordingRowsHost host;
  EXPECT_THROW(RLEDecompressRows(Hex("41 00 02 00"), 4, host), FaultError);
  EXPECT_THAT(host.calls, ElementsAreArray({Bar1(25), Yield(), Bar1(75), Yield()}));
}

TEST(RLEDecompressRows, TakesStreamsLongerThanTheVerifierDoes) {
  RecordingRowsHost host;
  const Bytes area = RLEDecompressRows(Bytes(40000, 0x41), 100, host);
  EXPECT_EQ(area, Bytes(40000, 0x41));
}

TEST(RLEDecompressRows, RefusesRowsPastThe32BitRowPositionBeforeAnyHostCall) {
  // 8421505 runs of 255 zeros decode to 2147483775 bytes.
  Bytes coded(2 * 8421505, 0xFF);
  for (std::size_t k = 0; k < coded.size(); k += 2) {
    coded[k] = 0;
  }
  RecordingRowsHost host;
  EXPECT_THROW(RLEDecompressRows(coded, 1000, host), OverflowError);
  EXPECT_TRUE(host.calls.empty());
}

}  // namespace
}  // namespace sprite::codec
