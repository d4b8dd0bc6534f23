// Sprite sheets: one picture cut into frames, and frames composed into one picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "pipeline/indexed_image.h"

namespace sprite::pipeline {

struct SheetFrame {
  std::size_t number = 0;  // 0-based, in reading order, counting skipped frames too
  IndexedImage image;
};

// Hands `take` the frames of frameWidth × frameHeight one at a time, left to
// right, top to bottom, until it returns false: a sheet of many small frames
// costs one frame's memory, and no more of them are cut than are taken. With
// `skipEmpty`, frames of nothing but index 0 are left out. Throws FaultError
// naming both sizes when the sheet's is not a multiple of the frame's, or
// when every frame is left out, and InvalidArgumentError for a frame size of 0.
void CutSheet(const IndexedImage& sheet, std::uint32_t frameWidth, std::uint32_t frameHeight,
              bool skipEmpty, const std::function<bool(SheetFrame&&)>& take);

struct FrameSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Where frames go on a sheet of `columns` columns (fewer when there are fewer
// frames): each cell as large as the largest frame, frames in order left to
// right, top to bottom, each at its cell's top left; the rest is index 0.
// Knowing only the sizes, a run can write the sheet a band of cells at a time
// as it decodes the frames.
class SheetLayout {
 public:
  // Throws InvalidArgumentError for no frames, a frame of no pixels or 0
  // columns, and FaultError (kSheetTooLarge) for a sheet larger than the PNG
  // pictures encode reads (formats::PngLimits), before anything is made.
  SheetLayout(std::span<const FrameSize> frames, std::uint32_t columns);

  std::uint32_t CellWidth() const { return cellWidth_; }
  std::uint32_t CellHeight() const { return cellHeight_; }
  std::uint32_t Width() const { return columns_ * cellWidth_; }
  std::uint32_t Height() const { return rows_ * cellHeight_; }
  std::uint32_t Columns() const { return columns_; }
  // The rows of cells.
  std::uint32_t Bands() const { return rows_; }

  // Row `y` (0 to CellHeight() - 1) of band `band`, made into `row` (Width()
  // indexes): `frames` are the band's first frames in order (at most
  // Columns(); cells without one are empty), each at its cell's left. A frame
  // must have the size the layout was made with (InvalidArgumentError otherwise).
  void BandRow(std::uint32_t band, std::span<const IndexedImage> frames, std::uint32_t y,
               std::span<std::uint8_t> row) const;

 private:
  std::vector<FrameSize> sizes_;
  std::uint32_t columns_ = 0;
  std::uint32_t rows_ = 0;
  std::uint32_t cellWidth_ = 0;
  std::uint32_t cellHeight_ = 0;
};

IndexedImage ComposeSheet(std::span<const IndexedImage> frames, std::uint32_t columns);

}  // namespace sprite::pipeline
