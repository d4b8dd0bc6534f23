#include "codec/row_alignment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "codec/codec_test_support.h"
#include "codec/recording_rows_host.h"
#include "common/error.h"

namespace sprite::codec {
namespace {

using ::testing::HasSubstr;

TEST(RowPadding, FillsRowsUpToMultiplesOfFour) {
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {1, 3},
      {2, 2},
      {3, 1},
      {4, 0},
      {5, 3},
      {6, 2},
      {7, 1},
      {8, 0},
      {32767, 1},
      {INT32_MAX, 1},
      // The remainder is taken towards zero, as the bitmap reader computes it.
      {0, 0},
      {-1, 5},
      {-3, 7},
      {-4, 0}};
  for (const auto& [width, pad] : cases) {
    EXPECT_EQ(RowPadding(width), pad) << "width " << width;
  }
}

struct AlignCase {
  const char* name;
  Bytes area;
  std::int32_t width;
  Bytes rows;
};

TEST(StripRowAlignment, DropsAlignmentAndReversesRows) {
  const AlignCase cases[] = {
      {"empty", {}, 3, {}},
      {"width 3", Hex("05 00 00 00 00 00 07 00"), 3, Hex("00 00 07 05 00 00")},
      {"width 4 keeps rows whole", Hex("01 02 03 04 05 06 07 08"), 4,
       Hex("05 06 07 08 01 02 03 04")},
      {"two extra bytes become a short first row", Hex("01 02 03 04 05 06 07 08 09 0A"), 4,
       Hex("09 0A 05 06 07 08 01 02 03 04")},
      {"non-zero alignment bytes are dropped", Hex("01 02 03 AA 04 05 06 BB"), 3,
       Hex("04 05 06 01 02 03")},
      {"a last row without its alignment", Hex("01 02 03 AA 04 05 06"), 3,
       Hex("04 05 06 01 02 03")},
      {"a remainder longer than a row keeps only the row", Hex("01 02 00 00 03 04 00 00 05 06 07"),
       2, Hex("05 06 03 04 01 02")},
      {"width 1", Hex("01 00 00 00 02 00 00 00"), 1, Hex("02 01")},
      {"width 5", Hex("01 02 03 04 05 00 00 00 06"), 5, Hex("06 01 02 03 04 05")},
  };
  for (const AlignCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StripRowAlignment(c.area, c.width), c.rows);
  }
}

TEST(AddRowAlignment, RebuildsTheAreaTheDecoderWrites) {
  const AlignCase cases[] = {
      {"empty", {}, 3, {}},
      {"width 3", Hex("05 00 00 00 00 00 07 00"), 3, Hex("00 00 07 05 00 00")},
      {"a short first row breaks the row starts", Hex("03 04 07 08 01 02 09 0A 05 06"), 4,
       Hex("09 0A 05 06 07 08 01 02 03 04")},
      {"width 1", Hex("02 00 00 00 01 00 00 00"), 1, Hex("01 02")},
      {"width 2", Hex("03 04 00 00 01 02 00 00"), 2, Hex("01 02 03 04")},
      {"width 5", Hex("06 00 00 00 01 02 03 04 05 00 00 00"), 5, Hex("01 02 03 04 05 06")},
  };
  for (const AlignCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AddRowAlignment(c.rows, c.width), c.area);
  }
}

// The Encode command's flip check passes exactly for areas of whole rows with
// zero alignment bytes.
TEST(AddRowAlignment, GivesBackEveryAreaOfWholeRowsWithZeroAlignment) {
  std::mt19937 rng(1234);
  for (std::int32_t width = 1; width <= 70; ++width) {
    const std::size_t rows = std::uniform_int_distribution<std::size_t>(0, 40)(rng);
    const std::size_t stride = static_cast<std::size_t>(width + RowPadding(width));
    Bytes area = RandomPixels(rng, rows * stride);
    for (std::size_t k = 0; k < area.size(); ++k) {
      if (k % stride >= static_cast<std::size_t>(width)) {
        area[k] = 0;
      }
    }
    const Bytes stored = StripRowAlignment(area, width);
    EXPECT_EQ(stored.size(), rows * static_cast<std::size_t>(width));
    EXPECT_EQ(AddRowAlignment(stored, width), area) << "width " << width;
    EXPECT_EQ(StripRowAlignment(AddRowAlignment(stored, width), width), stored);
  }
}

// The quick answer agrees with building the area again, for areas of whole
// rows or not, alignment bytes zero or not, and areas of zeros, which
// come back from rows put in any order.
TEST(RowsRebuildArea, TellsWhatBuildingTheAreaAgainWouldTell) {
  std::mt19937 rng(99);
  for (std::int32_t width = 1; width <= 9; ++width) {
    const auto stride = static_cast<std::size_t>(width + RowPadding(width));
    for (std::size_t length = 0; length <= 3 * stride + 3; ++length) {
      for (const int fill : {0, 1, 2}) {
        SCOPED_TRACE("width " + std::to_string(width) + ", length " + std::to_string(length) +
                     ", fill " + std::to_string(fill));
        Bytes area = fill == 0 ? Bytes(length, 0) : RandomPixels(rng, length);
        for (std::size_t k = 0; fill == 1 && k < area.size(); ++k) {
          if (k % stride >= static_cast<std::size_t>(width)) {
            area[k] = 0;  // alignment bytes zero
          }
        }
        const Bytes stored = StripRowAlignment(area, width);
        EXPECT_EQ(RowsRebuildArea(area, stored, width), AddRowAlignment(stored, width) == area);
      }
    }
  }
}

TEST(AddRowAlignment, YieldsBeforeAndReportsAfterEachRow) {
  RecordingRowsHost host;
  AddRowAlignment(Hex("01 02 03 04 05"), 2, &host);
  using Kind = HostCall::Kind;
  EXPECT_THAT(host.calls, ::testing::ElementsAreArray(
                              {HostCall{Kind::kYield}, HostCall{Kind::kSecondBar, 20},
                               HostCall{Kind::kYield}, HostCall{Kind::kSecondBar, 60},
                               HostCall{Kind::kYield}, HostCall{Kind::kSecondBar, 100}}));
}

TEST(RowAlignment, RejectsWidthsWithoutRows) {
  for (const std::int32_t width : {0, -1, -3, INT32_MIN}) {
    for (const Bytes& bytes : {Bytes{}, Hex("01 02 03 04")}) {
      try {
        StripRowAlignment(bytes, width);
        ADD_FAILURE() << "strip took width " << width;
      } catch (const FaultError& e) {
        EXPECT_EQ(e.Kind(), FaultKind::kWidthWithoutRows);
        EXPECT_EQ(e.Details().value, width);
      }
      RecordingRowsHost host;
      EXPECT_THROW(AddRowAlignment(bytes, width, &host), FaultError);
      EXPECT_TRUE(host.calls.empty());
    }
  }
}

TEST(RowAlignment, TakesTheWidestRows) {
  const Bytes area = Concat({Hex("01 02 03"), Zeros(32764)});
  EXPECT_EQ(StripRowAlignment(area, 32767), area);
  EXPECT_EQ(StripRowAlignment(Hex("01 02"), INT32_MAX), Hex("01 02"));
  EXPECT_EQ(AddRowAlignment(Hex("01 02"), INT32_MAX), Hex("01 02 00"));
}

}  // namespace
}  // namespace sprite::codec
