#include "pipeline/palette_pass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/test_files.h"
#include "fakes/fake_file_system.h"
#include "formats/png_writer.h"

namespace sprite::testing {
namespace {

// A list long enough to be read on two threads: what the pass makes of it is
// what adding each picture's palette in list order makes.
TEST(PalettePass, ReadOnTwoThreadsSettlesAsReadingInOrderWould) {
  const Bytes shared = TestPalette(1);
  const struct {
    const char* name;
    int odd;  // the list index of the picture unlike the others; -1: none
    bool otherPalette;
  } cases[] = {
      {"all alike", -1, false},
      {"another palette early", 20, true},
      {"another palette late", 90, true},
      {"no see-through index late", 90, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    std::vector<std::string> paths;
    pipeline::TargetPaletteBuilder inOrder;
    for (int i = 0; i < 120; ++i) {
      const bool odd = i == c.odd;
      const Bytes file = formats::WriteIndexedPng(2, 2, Bytes{0, 1, 2, 3},
                                                  odd && c.otherPalette ? TestPalette(2) : shared,
                                                  {.seeThroughIndex0 = !odd || c.otherPalette});
      paths.push_back(folder.Path("p" + std::to_string(i) + ".png"));
      WriteFile(paths.back(), file);
      inOrder.AddPalette(*formats::ReadPngColours(file));
    }
    const pipeline::PictureMapper expected = inOrder.Finish();
    fakes::FakeFileSystem files;
    pipeline::KeptFiles kept;
    const pipeline::PictureMapper made = pipeline::TargetPaletteOf(
        files, ReadFile(paths[0]), std::span(paths).subspan(1), 1, {}, kept);
    EXPECT_EQ(made.Origin(), expected.Origin());
    EXPECT_EQ(made.Palette(), expected.Palette());
  }
}

}  // namespace
}  // namespace sprite::testing
