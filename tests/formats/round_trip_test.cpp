#include <gtest/gtest.h>

#include <random>

#include "codec/palette_swap.h"
#include "codec/rle_decoder.h"
#include "codec/rle_encoder.h"
#include "codec/row_alignment.h"
#include "format_test_support.h"
#include "formats/bitmap.h"
#include "formats/memory_io.h"
#include "formats/sprite_archive.h"

namespace sprite::formats {
namespace {

struct Picture {
  std::int32_t width;
  std::int32_t height;
  Bytes storedRows;
};

// A random number from 0 to `below` - 1.
std::int32_t Below(std::mt19937& random, std::uint32_t below) {
  return static_cast<std::int32_t>(random() % below);
}

// Stored rows with zero runs short and long, including runs over 255 bytes.
Picture RandomPicture(std::mt19937& random) {
  Picture picture;
  picture.width = Below(random, 4) == 0 ? 200 + Below(random, 200) : 1 + Below(random, 37);
  picture.height = static_cast<std::int16_t>(random());
  picture.storedRows.resize(static_cast<std::size_t>(picture.width) * (random() % 9));
  const std::uint32_t zeroBias = random() % 4;
  for (auto& pixel : picture.storedRows) {
    pixel = random() % 4 < zeroBias ? 0 : static_cast<std::uint8_t>(random());
  }
  return picture;
}

TEST(RoundTrip, ArchiveToBitmapGivesTheStoredRowsBack) {
  std::mt19937 random(7);
  for (int round = 0; round < 60; ++round) {
    std::vector<Picture> pictures(1 + random() % 6);
    Bytes archivePalette(1024);
    for (std::size_t i = 0; i < archivePalette.size(); ++i) {
      archivePalette[i] = i % 4 == 3 ? 0 : static_cast<std::uint8_t>(random());
    }
    Bytes archive;
    MemorySink sink(archive);
    ArchiveWriter writer(sink);
    for (Picture& picture : pictures) {
      picture = RandomPicture(random);
      Bytes coded;
      codec::RLECompress2(picture.storedRows, coded, picture.width);
      writer.AddEntry(picture.width, picture.height, coded);
    }
    writer.Finish(archivePalette);

    StrictSource source(archive);
    ArchiveReader reader(source);
    ASSERT_EQ(reader.Count(), static_cast<std::int16_t>(pictures.size()));
    QuietHost host;
    for (const Picture& picture : pictures) {
      const auto entry = reader.Next();
      ASSERT_TRUE(entry);
      const Bytes area = codec::RLEDecompressRows(entry->coded, entry->width, host);
      const Bytes file =
          WriteBitmap(entry->width, entry->height, codec::SwapRedBlue(reader.Palette()), area);

      const BitmapHeaders headers = ReadBitmapHeaders(file);
      ASSERT_TRUE(PassesAcceptanceTest(headers));
      EXPECT_EQ(headers.width, picture.width);
      EXPECT_EQ(headers.height, picture.height);
      const AcceptedBitmap bitmap = ReadAcceptedBitmap(file, headers);
      EXPECT_EQ(codec::SwapRedBlue(bitmap.palette), archivePalette);
      EXPECT_EQ(bitmap.pixelArea, area);
      EXPECT_EQ(codec::StripRowAlignment(bitmap.pixelArea, headers.width), picture.storedRows)
          << "round " << round << ", entry " << entry->number;
    }
    EXPECT_FALSE(reader.Next());
  }
}

}  // namespace
}  // namespace sprite::formats
