#include "codec/row_writer.h"

#include <cstring>
#include <limits>

#include "codec/rounded_percent.h"
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
  area_.resize(areaSize_ + kWindow);
  // The first row goes last, in front of its own alignment bytes.
  rowEnd_ = area_.data() + areaSize_ - pad;
}

OutputPlace RowWriter::CurrentRow() const {
  const std::size_t length = rowsAfter_ == 0 ? lastRow_ : width_;
  return {rowEnd_ - length, length};
}

OutputPlace RowWriter::NextRow() {
  if (rowsAfter_ == 0) {
    return {rowEnd_, std::numeric_limits<std::size_t>::max()};
  }
  --rowsAfter_;
  rowEnd_ -= stride_;
  return CurrentRow();
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
  std::memcpy(kept_, rowEnd_, kWindow);
  return CurrentRow();
}

OutputPlace RowWriter::NextKeptRow() {
  if (rowsAfter_ == 0) {
    // Window stores may still come; they land in the bytes kept aside.
    return NextRow();
  }
  std::memcpy(rowEnd_, kept_, kWindow);
  const OutputPlace next = NextRow();
  std::memcpy(kept_, rowEnd_, kWindow);
  return next;
}

OutputPlace RowWriter::Move(OutputPlace at, std::size_t count, std::size_t /*next*/) {
  // Rows not reached yet are still zero-filled: only the place moves.
  while (count >= at.left) {
    count -= at.left;
    at = NextKeptRow();
  }
  return {at.dst + count, at.left - count};
}

OutputPlace RowWriter::MoveLiteral(OutputPlace at, const std::uint8_t* src, std::size_t count) {
  // The window stored at the span's start holds its bytes up to the row end;
  // the rest go to the start of the next rows.
  while (count >= at.left) {
    src += at.left;
    count -= at.left;
    at = NextKeptRow();
    if (count == 0) {
      return at;
    }
    CopyWindow(at.dst, src);
  }
  return {at.dst + count, at.left - count};
}

void RowWriter::End(OutputPlace /*at*/) {
  std::memcpy(rowEnd_, kept_, kWindow);
}

Bytes RowWriter::Finish() {
  area_.resize(areaSize_);
  return std::move(area_);
}

void ReportRows(std::size_t length, std::size_t width, RowsHost& host) {
  if (length == 0) {
    return;  // no rows to report, and no whole to take a share of
  }
  PercentSteps rowPercent(1, static_cast<std::int64_t>(width), static_cast<std::int64_t>(length));
  for (std::size_t start = 0; start < length; start += width, rowPercent.Advance()) {
    host.Yield();
    host.SetRowPercent(rowPercent.Current());
  }
}

}  // namespace sprite::codec
