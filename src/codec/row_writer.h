#pragma once

#include <cstdint>
#include <cstring>

#include "codec/byte_window.h"
#include "codec/element_walker.h"
#include "common/bytes.h"

namespace sprite::codec {

// Builds a bitmap pixel area from stored rows given in order, top row first;
// the place of every row is defined here and nowhere else. Row r of `width`
// bytes (the last one may be shorter) goes in front of the rows before it,
// followed by RowPadding(width) zero bytes, so the last row comes first. The
// area starts zero-filled, so alignment bytes and rows of zeros need no
// writing.
//
// The bytes come either as whole rows (PutRows, for AddRowAlignment) or from
// the element walker, as its sink (for RLEDecompressRows, which so decodes
// straight into the area): each row end is a boundary of the walk, which
// stores nothing past it.
class RowWriter {
 public:
  // `length` (at least 1) stored bytes in rows of `width` bytes.
  RowWriter(std::size_t length, std::size_t width);

  // All `length` stored bytes at once.
  void PutRows(const std::uint8_t* src);

  // The element walker's sink (ElementSink).
  OutputPlace Begin();
  // Inline: the walk crosses a row end at every row.
  OutputPlace Next() { return NextRow(); }
  void End(OutputPlace /*at*/) {}

  // The area, once every stored byte has been given.
  Bytes Finish();

 private:
  OutputPlace CurrentRow() const {
    const std::size_t length = rowsAfter_ == 0 ? lastRow_ : width_;
    return {rowEnd_ - length, length};
  }
  // The next row, or past the last one a place where nothing more is put
  // but the empty elements a stream may still hold: a window of scratch.
  OutputPlace NextRow() {
    if (rowsAfter_ == 0) {
      return {scratch_, sizeof scratch_};
    }
    --rowsAfter_;
    rowEnd_ -= stride_;
    return CurrentRow();
  }

  std::size_t width_;
  std::size_t stride_;     // a full row and its alignment bytes
  std::size_t lastRow_;    // bytes of the last row
  std::size_t rowsAfter_;  // rows after the current one
  std::size_t areaSize_;
  Bytes area_;
  std::uint8_t* rowEnd_;               // end of the current row
  std::uint8_t scratch_[2 * kWindow];  // past the last row
};

static_assert(ElementSink<RowWriter>);

}  // namespace sprite::codec
