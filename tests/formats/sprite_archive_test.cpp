#include "formats/sprite_archive.h"

#include <gtest/gtest.h>

#include "codec/palette_swap.h"
#include "codec/rle_decoder.h"
#include "common/error.h"
#include "common/text.h"
#include "format_test_support.h"
#include "formats/memory_io.h"

namespace sprite::formats {
namespace {

// The archive of a 4 x 2 picture whose stored rows 02 00 00 00 00 00 01 01 code to 02 00 05 01 01.
Bytes FourByTwoArchive() {
  return Concat(
      {B({0x53, 0x50, 1, 2, 1, 0, 0, 0, 4, 0, 2, 0, 5, 0, 2, 0, 5, 1, 1}), PatternPalette()});
}

TEST(ArchiveWriter, WritesAFourByTwoArchiveByteForByte) {
  Bytes out;
  MemorySink sink(out);
  ArchiveWriter writer(sink);
  EXPECT_EQ(out, B({0x53, 0x50, 1, 2, 0, 0, 0, 0}));  // header at once, count 0
  writer.AddEntry(4, 2, B({2, 0, 5, 1, 1}));
  writer.Finish(PatternPalette());
  EXPECT_EQ(out, FourByTwoArchive());
  EXPECT_EQ(out.size(), 1043u);
}

TEST(ArchiveWriter, CountIsTheNumberOfEntriesStored) {
  Bytes out;
  MemorySink sink(out);
  ArchiveWriter writer(sink);
  for (int i = 0; i < 300; ++i) {
    writer.AddEntry(1, -1, {});
  }
  writer.Finish(Bytes(1024));
  EXPECT_EQ(out[4], 300 % 256);
  EXPECT_EQ(out[5], 1);
  EXPECT_EQ(out.size(), 8 + 300 * 6 + 1024u);

  Bytes empty;
  MemorySink emptySink(empty);
  ArchiveWriter(emptySink).Finish(PatternPalette());
  EXPECT_EQ(empty.size(), 1032u);
  MemorySource source(empty);
  ArchiveReader reader(source);
  EXPECT_EQ(reader.Count(), 0);
  EXPECT_EQ(reader.Palette(), PatternPalette());
  EXPECT_FALSE(reader.Next());
}

TEST(ArchiveWriter, RefusesWhatItsFieldsCannotHold) {
  Bytes out;
  MemorySink sink(out);
  ArchiveWriter writer(sink);
  EXPECT_THROW(writer.AddEntry(32768, 1, {}), OverflowError);
  EXPECT_THROW(writer.AddEntry(1, 32768, {}), OverflowError);
  EXPECT_THROW(writer.AddEntry(1, -32769, {}), OverflowError);
  EXPECT_THROW(writer.AddEntry(1, 1, Bytes(32768)), OverflowError);
  EXPECT_THROW(writer.AddEntry(0, 1, {}), FaultError);
  EXPECT_THROW(writer.AddEntry(-5, 1, {}), FaultError);
  EXPECT_EQ(out.size(), 8u);  // nothing half written
  writer.AddEntry(32767, -32768, Bytes(32767, 1));
  for (int i = 1; i < 32767; ++i) {
    writer.AddEntry(1, 1, {});
  }
  EXPECT_THROW(writer.AddEntry(1, 1, {}), OverflowError);
  EXPECT_THROW(writer.Finish(Bytes(1023)), InvalidArgumentError);
  writer.Finish(Bytes(1024));
  EXPECT_EQ(out[4], 0xFF);
  EXPECT_EQ(out[5], 0x7F);
  EXPECT_THROW(writer.AddEntry(1, 1, {}), InvalidArgumentError);
  EXPECT_THROW(writer.Finish(Bytes(1024)), InvalidArgumentError);
}

TEST(ArchiveReader, ReadsAFourByTwoArchive) {
  Bytes file = FourByTwoArchive();
  file[6] = 0xAB;  // reserved bytes are ignored
  file[7] = 0xCD;
  StrictSource source(file);
  ArchiveReader reader(source);
  EXPECT_EQ(reader.Palette(), PatternPalette());
  const auto entry = reader.Next();
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->number, 1);
  EXPECT_EQ(entry->width, 4);
  EXPECT_EQ(entry->height, 2);
  EXPECT_EQ(entry->coded, B({2, 0, 5, 1, 1}));
  QuietHost host;  // decoding gives back the bitmap's pixel area, bottom row first
  EXPECT_EQ(codec::RLEDecompressRows(entry->coded, entry->width, host),
            B({0, 0, 1, 1, 2, 0, 0, 0}));
  EXPECT_FALSE(reader.Next());
}

TEST(ArchiveReader, RejectsAnythingButTheExactSignature) {
  for (const Bytes& start : {B({0x53, 0x50, 1, 3}), B({'S', 'P', 'x', 'y'}), B({'B', 'M', 1, 2}),
                             B({0x53, 0x50, 2, 1})}) {
    Bytes file = FourByTwoArchive();
    std::copy(start.begin(), start.end(), file.begin());
    StrictSource source(file);
    try {
      ArchiveReader reader(source);
      ADD_FAILURE() << "read as an archive";
    } catch (const FaultError& error) {
      EXPECT_EQ(error.Kind(), FaultKind::kNotAnArchive);
      EXPECT_EQ(error.Details().shown.substr(0, 11), HexBytes(start));
    }
  }
}

}  // namespace
}  // namespace sprite::formats
