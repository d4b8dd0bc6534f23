#include "codec/row_writer.h"

#include <cstring>

#include "codec/row_alignment.h"

namespace sprite::codec {

RowWriter::RowWriter(std::size_t length, std::size_t width)
    : width_(width),
      stride_(width + static_cast<std::size_t>(RowPadding(static_cast<std::int32_t>(width)))) {
  const std::size_t rows = (length - 1) / width + 1;
  const std::size_t pad = stride_ - width;
  lastRow_ = length - (rows - 1) * width;
  rowsAfter_ = rows - 1;
  areaSize_ = length + rows * pad;
  area_.resize(areaSize_);
  // The first row goes last, in front of its own alignment bytes.
  rowEnd_ = area_.data() + areaSize_ - pad;
}

void RowWriter::PutRows(const std::uint8_t* src) {
  for (OutputPlace at = CurrentRow();; at = NextRow()) {
    std::memcpy(at.dst, src, at.left);
    src += at.left;
    if (rowsAfter_ == 0) {
      return;
    }
  }
}

OutputPlace RowWriter::Begin() {
  return CurrentRow();
}

Bytes RowWriter::Finish() {
  return std::move(area_);
}

}  // namespace sprite::codec
