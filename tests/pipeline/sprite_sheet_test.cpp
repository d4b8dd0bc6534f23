#include "pipeline/sprite_sheet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"

namespace sprite::pipeline {
namespace {

// A picture whose every pixel tells where it is: 16 · y + x + 1.
IndexedImage Numbered(std::uint32_t width, std::uint32_t height) {
  IndexedImage image{width, height, Bytes(std::size_t{width} * height)};
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = static_cast<std::uint8_t>(16 * (i / width) + i % width + 1);
  }
  return image;
}

// The frames cut, the first `most` of them at most.
std::vector<SheetFrame> Cut(const IndexedImage& sheet, std::uint32_t width, std::uint32_t height,
                            bool skipEmpty, std::size_t most = SIZE_MAX) {
  std::vector<SheetFrame> frames;
  CutSheet(sheet, width, height, skipEmpty, [&](SheetFrame&& frame) {
    frames.push_back(std::move(frame));
    return frames.size() < most;
  });
  return frames;
}

TEST(SheetCutting, FramesComeLeftToRightTopToBottom) {
  const std::vector<SheetFrame> frames = Cut(Numbered(6, 4), 3, 2, false);
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(frames[0].image, (IndexedImage{3, 2, {1, 2, 3, 17, 18, 19}}));
  EXPECT_EQ(frames[1].image, (IndexedImage{3, 2, {4, 5, 6, 20, 21, 22}}));
  EXPECT_EQ(frames[2].image, (IndexedImage{3, 2, {33, 34, 35, 49, 50, 51}}));
  EXPECT_EQ(frames[3].number, 3u);
  // Whole-sheet frames and one-pixel frames are cut too.
  EXPECT_EQ(Cut(Numbered(6, 4), 6, 4, false).at(0).image, Numbered(6, 4));
  EXPECT_EQ(Cut(Numbered(6, 4), 1, 1, false).size(), 24u);
  // No more are cut than are taken.
  EXPECT_EQ(Cut(Numbered(6, 4), 1, 1, false, 5).size(), 5u);
}

TEST(SheetCutting, WhollySeeThroughFramesAreLeftOutOnlyWhenAsked) {
  IndexedImage sheet = Numbered(4, 2);
  sheet.pixels[1] = sheet.pixels[5] = 0;  // frame 1 is pixels 1 and 5 of a 1 × 2 cut
  sheet.pixels[0] = 0;                    // frame 0 keeps one index
  std::vector<std::size_t> kept;
  for (const SheetFrame& frame : Cut(sheet, 1, 2, true)) {
    kept.push_back(frame.number);
  }
  EXPECT_EQ(kept, (std::vector<std::size_t>{0, 2, 3}));
  EXPECT_EQ(Cut(sheet, 1, 2, false).size(), 4u);
}

TEST(SheetCutting, ASizeThatIsNotAMultipleIsRefusedNamingBoth) {
  try {
    Cut(Numbered(7, 4), 3, 2, false);
    ADD_FAILURE();
  } catch (const FaultError& error) {
    EXPECT_STREQ(error.what(), "the picture is 7 × 4 pixels, not a whole number of 3 × 2 frames");
  }
  EXPECT_THROW(Cut(Numbered(6, 5), 3, 2, false), FaultError);
  EXPECT_THROW(Cut(Numbered(6, 4), 0, 2, false), InvalidArgumentError);
}

TEST(SheetComposing, FramesOfDifferingSizesSitAtTheirCellsTopLeft) {
  const std::vector<IndexedImage> frames = {
      {2, 1, {1, 2}}, {3, 2, {3, 4, 5, 6, 7, 8}}, {1, 3, {9, 9, 9}}};
  // Cells of 3 × 3, two columns, two rows; the fourth cell is empty.
  EXPECT_EQ(ComposeSheet(frames, 2), (IndexedImage{6, 6, {1, 2, 0, 3, 4, 5,  //
                                                          0, 0, 0, 6, 7, 8,  //
                                                          0, 0, 0, 0, 0, 0,  //
                                                          9, 0, 0, 0, 0, 0,  //
                                                          9, 0, 0, 0, 0, 0,  //
                                                          9, 0, 0, 0, 0, 0}}));
  // More columns than frames: one row, as wide as the frames.
  EXPECT_EQ(ComposeSheet(frames, 10).width, 9u);
  EXPECT_EQ(ComposeSheet(frames, 1).height, 9u);
}

TEST(SheetComposing, CuttingAComposedSheetGivesTheFramesBack) {
  std::vector<IndexedImage> frames;
  for (int i = 0; i < 7; ++i) {
    frames.push_back(Numbered(3, 2));
    frames.back().pixels[0] = static_cast<std::uint8_t>(100 + i);
  }
  std::vector<IndexedImage> back;
  for (const SheetFrame& frame : Cut(ComposeSheet(frames, 3), 3, 2, true)) {
    back.push_back(frame.image);
  }
  EXPECT_EQ(back, frames);
}

TEST(SheetComposing, LayoutsRefuseWhatCannotBeASheet) {
  const std::vector<FrameSize> none;
  const std::vector<FrameSize> two = {{2, 2}, {1, 1}};
  EXPECT_THROW(SheetLayout(none, 4), InvalidArgumentError);
  EXPECT_THROW(SheetLayout(two, 0), InvalidArgumentError);
  EXPECT_THROW(SheetLayout(std::vector<FrameSize>{{0, 3}}, 1), InvalidArgumentError);
  const SheetLayout layout(two, 2);
  Bytes row(layout.Width());
  const std::vector<IndexedImage> wrongSecond = {Numbered(2, 2), Numbered(2, 2)};
  EXPECT_THROW(layout.BandRow(0, wrongSecond, 0, row), InvalidArgumentError);
  EXPECT_THROW(layout.BandRow(1, {}, 0, row), InvalidArgumentError);
}

TEST(SheetComposing, ASheetLargerThanEncodeReadsBackIsRefusedNamingTheLimit) {
  // A row and a column of 32767 pixels make cells of 32767 × 32767, in any columns.
  const std::vector<FrameSize> lines = {{32767, 1}, {1, 32767}};
  for (const std::uint32_t columns : {1u, 2u}) {
    try {
      SheetLayout(lines, columns);
      ADD_FAILURE() << columns << " columns";
    } catch (const FaultError& error) {
      EXPECT_EQ(error.Kind(), FaultKind::kSheetTooLarge);
      EXPECT_NE(std::string(error.what()).find("33554432 pixels, at most 1048576 wide"),
                std::string::npos)
          << error.what();
    }
  }
  // As large as encode reads: 4096 × 8192 pixels.
  EXPECT_EQ(SheetLayout(std::vector<FrameSize>(2, {4096, 4096}), 1).Height(), 8192u);
  EXPECT_THROW(SheetLayout(std::vector<FrameSize>(2, {4096, 4097}), 1), FaultError);
}

}  // namespace
}  // namespace sprite::pipeline
