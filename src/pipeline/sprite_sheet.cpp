#include "pipeline/sprite_sheet.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/error.h"
#include "formats/png_picture.h"

namespace sprite::pipeline {

namespace {

std::string Size(std::uint64_t width, std::uint64_t height) {
  return std::to_string(width) + " × " + std::to_string(height);
}

}  // namespace

void CutSheet(const IndexedImage& sheet, std::uint32_t frameWidth, std::uint32_t frameHeight,
              bool skipEmpty, const std::function<bool(SheetFrame&&)>& take) {
  if (frameWidth == 0 || frameHeight == 0) {
    throw InvalidArgumentError("a frame of " + Size(frameWidth, frameHeight) +
                               " pixels has no pixels");
  }
  if (sheet.pixels.size() != std::size_t{sheet.width} * sheet.height) {
    throw InvalidArgumentError("the sheet's pixels are not its width times its height");
  }
  if (sheet.width % frameWidth != 0 || sheet.height % frameHeight != 0) {
    throw FaultError({.kind = FaultKind::kSheetNotWhole,
                      .value = sheet.width,
                      .bound = sheet.height,
                      .text = Size(frameWidth, frameHeight)});
  }
  std::size_t number = 0;
  bool anyTaken = false;
  for (std::uint64_t top = 0; top < sheet.height; top += frameHeight) {
    for (std::uint64_t left = 0; left < sheet.width; left += frameWidth, ++number) {
      SheetFrame frame{number,
                       {frameWidth, frameHeight, Bytes(std::size_t{frameWidth} * frameHeight)}};
      for (std::uint64_t y = 0; y < frameHeight; ++y) {
        const std::uint8_t* row = sheet.pixels.data() + (top + y) * sheet.width + left;
        std::memcpy(frame.image.pixels.data() + y * frameWidth, row, frameWidth);
      }
      const bool empty = std::ranges::all_of(frame.image.pixels, [](auto p) { return p == 0; });
      if (skipEmpty && empty) {
        continue;
      }
      anyTaken = true;
      if (!take(std::move(frame))) {
        return;
      }
    }
  }
  // A sheet that gives no frame at all is said, not passed over unseen.
  if (!anyTaken) {
    throw FaultError({.kind = FaultKind::kSheetAllEmpty,
                      .value = static_cast<std::int64_t>(number),
                      .text = Size(frameWidth, frameHeight)});
  }
}

SheetLayout::SheetLayout(std::span<const FrameSize> frames, std::uint32_t columns)
    : sizes_(frames.begin(), frames.end()) {
  if (frames.empty() || columns == 0) {
    throw InvalidArgumentError("a sheet needs at least one frame and one column");
  }
  for (const FrameSize& frame : frames) {
    if (frame.width == 0 || frame.height == 0) {
      throw InvalidArgumentError("a frame of " + Size(frame.width, frame.height) +
                                 " pixels has no pixels");
    }
    cellWidth_ = std::max(cellWidth_, frame.width);
    cellHeight_ = std::max(cellHeight_, frame.height);
  }
  const std::uint64_t usedColumns = std::min<std::uint64_t>(columns, frames.size());
  const std::uint64_t rows = (frames.size() + usedColumns - 1) / usedColumns;
  const std::uint64_t width = usedColumns * cellWidth_;
  const std::uint64_t height = rows * cellHeight_;
  // A sheet is for encode to cut again: no larger than the pictures it reads.
  const formats::PngLimits readBack;
  if (width > readBack.maxWidth || height > readBack.maxHeight ||
      width * height > readBack.maxPixels) {
    throw FaultError({.kind = FaultKind::kSheetTooLarge,
                      .value = static_cast<std::int64_t>(width),
                      .bound = static_cast<std::int64_t>(height),
                      .text = std::to_string(readBack.maxPixels) + " pixels, at most " +
                              std::to_string(readBack.maxWidth) + " wide and " +
                              std::to_string(readBack.maxHeight) + " high; each of its " +
                              Size(usedColumns, rows) + " cells is " +
                              Size(cellWidth_, cellHeight_) + ", the largest picture's size"});
  }
  columns_ = static_cast<std::uint32_t>(usedColumns);
  rows_ = static_cast<std::uint32_t>(rows);
}

void SheetLayout::BandRow(std::uint32_t band, std::span<const IndexedImage> frames, std::uint32_t y,
                          std::span<std::uint8_t> row) const {
  if (band >= rows_ || frames.size() > columns_ || y >= cellHeight_ || row.size() != Width()) {
    throw InvalidArgumentError("row " + std::to_string(y) + " of band " + std::to_string(band) +
                               " is not one of the sheet's");
  }
  std::fill(row.begin(), row.end(), std::uint8_t{0});
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const IndexedImage& frame = frames[i];
    const std::size_t number = std::size_t{band} * columns_ + i;
    if (number >= sizes_.size() || frame.width != sizes_[number].width ||
        frame.height != sizes_[number].height ||
        frame.pixels.size() != std::size_t{frame.width} * frame.height) {
      throw InvalidArgumentError("frame " + std::to_string(number) +
                                 " is not the one the sheet was laid out for");
    }
    if (y < frame.height) {
      std::memcpy(row.data() + i * cellWidth_, frame.pixels.data() + std::size_t{y} * frame.width,
                  frame.width);
    }
  }
}

IndexedImage ComposeSheet(std::span<const IndexedImage> frames, std::uint32_t columns) {
  std::vector<FrameSize> sizes;
  for (const IndexedImage& frame : frames) {
    sizes.push_back({frame.width, frame.height});
  }
  const SheetLayout layout(sizes, columns);
  IndexedImage sheet{layout.Width(), layout.Height(),
                     Bytes(std::size_t{layout.Width()} * layout.Height())};
  for (std::uint32_t band = 0; band < layout.Bands(); ++band) {
    const std::size_t first = std::size_t{band} * layout.Columns();
    const auto bandFrames =
        frames.subspan(first, std::min<std::size_t>(layout.Columns(), frames.size() - first));
    for (std::uint32_t y = 0; y < layout.CellHeight(); ++y) {
      const std::size_t top = std::size_t{band} * layout.CellHeight() + y;
      layout.BandRow(band, bandFrames, y,
                     std::span(sheet.pixels).subspan(top * sheet.width, sheet.width));
    }
  }
  return sheet;
}

}  // namespace sprite::pipeline
