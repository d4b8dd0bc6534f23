#include "codec/row_writer.h"

#include <cstring>

#include "codec/row_alignment.h"

namespace sprite::codec {

namespace {

constexpr std::size_t kScratch = 2 * kWindow;

}  // namespace

RowWriter::RowWriter(std::size_t length, std::size_t width)
    : width_(width),
      stride_(width + static_cast<std::size_t>(RowPadding(static_cast<std::int32_t>(width)))) {
  const std::size_t rows = (length - 1) / width + 1;
  const std::size_t pad = stride_ - width;
  lastRow_ = length - (rows - 1) * width;
  areaSize_ = length + rows * pad;
  area_.resize(areaSize_ + kScratch);
  // The first row goes last, in front of its own alignment bytes.
  firstRowEnd_ = area_.data() + areaSize_ - pad;
  lastRowEnd_ = area_.data() + lastRow_;
  lastFullRowEnd_ = rows > 1 ? lastRowEnd_ + stride_ : lastRowEnd_;
  scratchEnd_ = area_.data() + areaSize_ + kScratch;
  rowStep_ = stride_ + width;
}

OutputPlace RowWriter::Begin() const {
  const std::size_t length = firstRowEnd_ == lastRowEnd_ ? lastRow_ : width_;
  return {firstRowEnd_ - length, length};
}

OutputPlace RowWriter::Next(OutputPlace at) const {
  std::uint8_t* rowEnd = at.dst + at.left;
  if (rowEnd == lastRowEnd_ || rowEnd == scratchEnd_) {
    return {scratchEnd_ - kScratch, kScratch};
  }
  rowEnd -= stride_;
  const std::size_t length = rowEnd == lastRowEnd_ ? lastRow_ : width_;
  return {rowEnd - length, length};
}

OutputPlace RowWriter::SkipRows(OutputPlace at, std::size_t run) const {
  while (run >= at.left) {
    run -= at.left;
    at = Next(at);
  }
  return {at.dst + run, at.left - run};
}

void RowWriter::PutRows(const std::uint8_t* src) {
  for (OutputPlace at = Begin();; at = Next(at)) {
    std::memcpy(at.dst, src, at.left);
    src += at.left;
    if (at.dst + at.left == lastRowEnd_) {
      return;
    }
  }
}

Bytes RowWriter::Finish() {
  area_.resize(areaSize_);
  return std::move(area_);
}

}  // namespace sprite::codec
