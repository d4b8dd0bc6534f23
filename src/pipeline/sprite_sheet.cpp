#include "pipeline/sprite_sheet.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/error.h"

namespace sprite::pipeline {

namespace {

// A composed sheet is written as one PNG picture and held in memory once.
constexpr std::uint64_t kMaxSheetPixels = std::uint64_t{1} << 31;
constexpr std::uint64_t kMaxSheetSide = 0x7FFFFFFF;

std::string Size(std::uint64_t width, std::uint64_t height) {
  return std::to_string(width) + " × " + std::to_string(height);
}

}  // namespace

std::vector<SheetFrame> CutSheet(const IndexedImage& sheet, std::uint32_t frameWidth,
                                 std::uint32_t frameHeight, bool skipEmpty) {
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
  std::vector<SheetFrame> frames;
  std::size_t number = 0;
  for (std::uint64_t top = 0; top < sheet.height; top += frameHeight) {
    for (std::uint64_t left = 0; left < sheet.width; left += frameWidth, ++number) {
      SheetFrame frame{number,
                       {frameWidth, frameHeight, Bytes(std::size_t{frameWidth} * frameHeight)}};
      for (std::uint64_t y = 0; y < frameHeight; ++y) {
        const std::uint8_t* row = sheet.pixels.data() + (top + y) * sheet.width + left;
        std::memcpy(frame.image.pixels.data() + y * frameWidth, row, frameWidth);
      }
      const bool empty = std::ranges::all_of(frame.image.pixels, [](auto p) { return p == 0; });
      if (!(skipEmpty && empty)) {
        frames.push_back(std::move(frame));
      }
    }
  }
  return frames;
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
  if (width > kMaxSheetSide || height > kMaxSheetSide || width * height > kMaxSheetPixels) {
    throw OverflowError("a sheet of " + Size(width, height) + " pixels is too large to write");
  }
  columns_ = static_cast<std::uint32_t>(usedColumns);
  rows_ = static_cast<std::uint32_t>(rows);
}

IndexedImage SheetLayout::Blank() const {
  return {Width(), Height(), Bytes(std::size_t{Width()} * Height(), 0)};
}

void SheetLayout::Place(IndexedImage& sheet, std::size_t number, const IndexedImage& frame) const {
  if (number >= sizes_.size() || frame.width != sizes_[number].width ||
      frame.height != sizes_[number].height ||
      frame.pixels.size() != std::size_t{frame.width} * frame.height || sheet.width != Width() ||
      sheet.height != Height()) {
    throw InvalidArgumentError("frame " + std::to_string(number) +
                               " is not the one the sheet was laid out for");
  }
  const std::size_t left = number % columns_ * std::size_t{cellWidth_};
  const std::size_t top = number / columns_ * std::size_t{cellHeight_};
  for (std::size_t y = 0; y < frame.height; ++y) {
    std::memcpy(sheet.pixels.data() + (top + y) * sheet.width + left,
                frame.pixels.data() + y * frame.width, frame.width);
  }
}

IndexedImage ComposeSheet(std::span<const IndexedImage> frames, std::uint32_t columns) {
  std::vector<FrameSize> sizes;
  for (const IndexedImage& frame : frames) {
    sizes.push_back({frame.width, frame.height});
  }
  const SheetLayout layout(sizes, columns);
  IndexedImage sheet = layout.Blank();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    layout.Place(sheet, i, frames[i]);
  }
  return sheet;
}

}  // namespace sprite::pipeline
