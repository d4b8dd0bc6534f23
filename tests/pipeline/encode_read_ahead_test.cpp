#include "pipeline/encode_read_ahead.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "common/error.h"
#include "fakes/fake_file_system.h"
#include "formats/png_writer.h"

namespace sprite::testing {
namespace {

// What the store loop would make of a picture: its stored rows, or its fault's kind.
std::string Outcome(pipeline::AheadPicture next) {
  try {
    if (next.fault) {
      std::rethrow_exception(next.fault);
    }
    const Bytes& rows = next.picture.stored.storedRows;
    return std::string(rows.begin(), rows.end());
  } catch (const FaultError& error) {
    return "fault " + std::to_string(static_cast<int>(error.Kind())) + " " + error.Details().path;
  }
}

TEST(EncodeReadAhead, GivesEachListedFileInOrderAsReadingItThereWould) {
  // Sprites of noise sharing one palette, more than the palette pass keeps;
  // damaged ones among the kept and the others, a bitmap and a missing file.
  TempFolder folder;
  std::mt19937 random(3);
  const Bytes palette = TestPalette(1);
  std::vector<std::string> paths;
  std::vector<std::string> expected;
  for (int i = 0; i < 80; ++i) {
    paths.push_back(folder.Path("p" + std::to_string(i) + ".png"));
    Bytes pixels(96 * 96);
    for (std::uint8_t& pixel : pixels) {
      pixel = static_cast<std::uint8_t>(random());
    }
    Bytes file = formats::WriteIndexedPng(96, 96, pixels, palette);
    expected.emplace_back(pixels.begin(), pixels.end());
    if (i == 5 || i == 70) {
      file.resize(file.size() - 30);
      expected.back() =
          "fault " + std::to_string(static_cast<int>(FaultKind::kDamagedPng)) + " " + paths.back();
    }
    if (i == 40) {
      paths.back() = folder.Path("missing.png");
      expected.back() =
          "fault " + std::to_string(static_cast<int>(FaultKind::kNoSuchFile)) + " " + paths.back();
      continue;
    }
    WriteFile(paths.back(), file);
  }
  paths.push_back(folder.Path("last.bmp"));
  WriteFile(paths.back(), BuildBitmap({.palette = palette, .pixelArea = {1, 2, 3, 4}}));
  expected.emplace_back("\x01\x02\x03\x04", 4);

  fakes::FakeFileSystem files;
  pipeline::EncodeReadAhead ahead(files, paths, {}, std::nullopt);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    ASSERT_EQ(Outcome(ahead.Next()), expected[i]) << "picture " << i;
  }
  ASSERT_NE(ahead.TargetPalette(), nullptr);
  EXPECT_EQ(ahead.TargetPalette()->Origin(), pipeline::PaletteOrigin::kShared);
}

}  // namespace
}  // namespace sprite::testing
