#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <span>
#include <tuple>

#include "common/error.h"
#include "format_test_support.h"
#include "formats/sprite_archive.h"

namespace sprite::formats {
namespace {

// Reads every entry; returns the fault, or nothing when the archive reads cleanly.
std::optional<Fault> ReadAll(ByteView file) {
  StrictSource source(file);
  try {
    ArchiveReader reader(source);
    while (reader.Next()) {
    }
  } catch (const FaultError& error) {
    return error.Details();
  }
  return std::nullopt;
}

// Three entries at offsets 8, 17 and 23, then the palette at 33.
Bytes SmallArchive() {
  return Concat({B({0x53, 0x50, 1, 2, 3, 0, 0, 0}), B({3, 0, 1, 0, 3, 0, 7, 0, 2}),
                 B({1, 0, 1, 0, 0, 0}), B({2, 0, 2, 0, 4, 0, 9, 9, 0, 1}), PatternPalette()});
}

TEST(DamagedArchive, EveryTruncationEndsInAFault) {
  const Bytes whole = SmallArchive();
  ASSERT_FALSE(ReadAll(whole));
  for (std::size_t length = 0; length < whole.size(); ++length) {
    EXPECT_TRUE(ReadAll(ByteView(whole).first(length))) << length;
  }
  EXPECT_EQ(ReadAll(ByteView(whole).first(1023))->kind, FaultKind::kArchiveCut);
  // The header shares its bytes with the palette; the count of 3 claims an entry.
  const Fault shared = ReadAll(ByteView(whole).first(1031)).value();
  EXPECT_EQ(shared.kind, FaultKind::kEntryHeadPastPalette);
  EXPECT_EQ(shared.entry, 1);
  EXPECT_EQ(shared.offset, 8u);
  EXPECT_EQ(shared.bound, 7);  // where the palette starts
  EXPECT_EQ(shared.value, 3);  // the header's count
}

TEST(DamagedArchive, EntryFaultsNameTheEntryAndItsOffset) {
  struct Case {
    std::size_t at;
    Bytes bytes;
    FaultKind kind;
    std::int32_t entry;
    std::uint64_t offset;
    std::int64_t value;
  };
  for (const Case& c : {
           Case{4, B({4, 0}), FaultKind::kEntryHeadPastPalette, 4, 33, 4},
           Case{4, B({0xFF, 0x7F}), FaultKind::kEntryHeadPastPalette, 4, 33, 32767},
           Case{21, B({0xFF, 0xFF}), FaultKind::kNegativeLength, 2, 17, -1},
           Case{17, B({0, 0}), FaultKind::kWidthWithoutRows, 2, 17, 0},
           Case{17, B({0xFD, 0xFF}), FaultKind::kWidthWithoutRows, 2, 17, -3},
           Case{27, B({5, 0}), FaultKind::kStreamPastPalette, 3, 23, 5},
           Case{12, B({0xFF, 0x7F}), FaultKind::kStreamPastPalette, 1, 8, 32767},
       }) {
    Bytes file = SmallArchive();
    std::ranges::copy(c.bytes, std::span(file).subspan(c.at).begin());
    const Fault fault = ReadAll(file).value();
    EXPECT_EQ(std::tuple(fault.kind, fault.entry, fault.offset.value_or(0), fault.value),
              std::tuple(c.kind, c.entry, c.offset, c.value))
        << Describe(fault);
  }
}

TEST(DamagedArchive, AFailedEntryFailsAgainWithoutMovingOn) {
  Bytes file = SmallArchive();
  file[17] = 0;  // entry 2 has width 0
  StrictSource source(file);
  ArchiveReader reader(source);
  ASSERT_TRUE(reader.Next());
  EXPECT_THROW(reader.Next(), FaultError);
  EXPECT_THROW(reader.Next(), FaultError);
}

TEST(DamagedArchive, RandomDamageNeverReadsOutsideTheFile) {
  const Bytes whole = SmallArchive();
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    const ByteView kept = ByteView(whole).first(1024 + random() % 34);
    Bytes file(kept.begin(), kept.end());
    for (int flips = 1 + random() % 4; flips > 0; --flips) {
      file[random() % 40] = static_cast<std::uint8_t>(random());
    }
    ReadAll(file);  // a clean read or a fault; StrictSource fails the test otherwise
  }
}

}  // namespace
}  // namespace sprite::formats
