#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>

#include "common/error.h"
#include "format_test_support.h"
#include "formats/sprite_archive.h"

namespace sprite::formats {
namespace {

// Reads every entry; returns the error text, or "" when the archive reads cleanly.
std::string ReadAll(ByteView file) {
  StrictSource source(file);
  try {
    ArchiveReader reader(source);
    while (reader.Next()) {
    }
  } catch (const FormatError& error) {
    EXPECT_NE(std::string(error.what()), "");
    return error.what();
  }
  return "";
}

// Three entries at offsets 8, 17 and 23, then the palette at 33.
Bytes SmallArchive() {
  return Concat({B({0x53, 0x50, 1, 2, 3, 0, 0, 0}), B({3, 0, 1, 0, 3, 0, 7, 0, 2}),
                 B({1, 0, 1, 0, 0, 0}), B({2, 0, 2, 0, 4, 0, 9, 9, 0, 1}), PatternPalette()});
}

TEST(DamagedArchive, EveryTruncationEndsInAFormatError) {
  const Bytes whole = SmallArchive();
  ASSERT_EQ(ReadAll(whole), "");
  for (std::size_t length = 0; length < whole.size(); ++length) {
    EXPECT_NE(ReadAll(ByteView(whole).first(length)), "") << length;
  }
  EXPECT_EQ(ReadAll(ByteView(whole).first(1023)),
            "the file is 1023 bytes long, too short to hold the 1024-byte palette at its end");
  // The header shares its bytes with the palette; the count of 3 claims an entry.
  EXPECT_EQ(ReadAll(ByteView(whole).first(1031)),
            "entry 1 at offset 8: the 6-byte entry head runs past the start of the palette at "
            "offset 7 (the header counts 3 entries)");
}

TEST(DamagedArchive, EntryFaultsNameTheEntryAndItsOffset) {
  struct Case {
    std::size_t offset;
    Bytes bytes;
    std::string message;
  };
  const std::string trailer = "the start of the palette at offset 33";
  for (const Case& c : {
           Case{4, B({4, 0}),
                "entry 4 at offset 33: the 6-byte entry head runs past " + trailer +
                    " (the header counts 4 entries)"},
           Case{4, B({0xFF, 0x7F}), "entry 4 at offset 33:"},
           Case{21, B({0xFF, 0xFF}), "entry 2 at offset 17: the coded length is -1; it cannot"},
           Case{17, B({0, 0}), "entry 2 at offset 17: the width is 0; a picture needs a width"},
           Case{17, B({0xFD, 0xFF}), "entry 2 at offset 17: the width is -3;"},
           Case{27, B({5, 0}),
                "entry 3 at offset 23: the 5-byte coded stream runs past " + trailer},
           Case{12, B({0xFF, 0x7F}), "entry 1 at offset 8: the 32767-byte coded stream"},
       }) {
    Bytes file = SmallArchive();
    std::ranges::copy(c.bytes, std::span(file).subspan(c.offset).begin());
    EXPECT_EQ(ReadAll(file).rfind(c.message, 0), 0u) << ReadAll(file);
  }
}

TEST(DamagedArchive, AFailedEntryFailsAgainWithoutMovingOn) {
  Bytes file = SmallArchive();
  file[17] = 0;  // entry 2 has width 0
  StrictSource source(file);
  ArchiveReader reader(source);
  ASSERT_TRUE(reader.Next());
  EXPECT_THROW(reader.Next(), FormatError);
  EXPECT_THROW(reader.Next(), FormatError);
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
    ReadAll(file);  // a clean read or a format error; StrictSource fails the test otherwise
  }
}

}  // namespace
}  // namespace sprite::formats
