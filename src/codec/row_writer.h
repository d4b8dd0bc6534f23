#pragma once

#include <cstdint>

#include "codec/byte_window.h"
#include "codec/element_walker.h"
#include "codec/rle_decoder.h"
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
// straight into the area). The walker's window stores (byte_window.h) may
// run past the end of a row, over its alignment bytes and the start of the
// row placed before: those bytes are kept aside while the row is written and
// put back when it is done, so the walker stores whole windows right up to
// every row's end.
class RowWriter {
 public:
  // `length` (at least 1) stored bytes in rows of `width` bytes.
  RowWriter(std::size_t length, std::size_t width);

  // All `length` stored bytes at once.
  void PutRows(const std::uint8_t* src);

  // The element walker's sink (ElementSink).
  OutputPlace Begin();
  OutputPlace Move(OutputPlace at, std::size_t count, std::size_t next);
  OutputPlace MoveLiteral(OutputPlace at, const std::uint8_t* src, std::size_t count);
  void End(OutputPlace at);

  // The area, once every stored byte has been given.
  Bytes Finish();

 private:
  OutputPlace CurrentRow() const;
  // The next row, or past the last one a place with no end where nothing
  // more is put.
  OutputPlace NextRow();
  OutputPlace NextKeptRow();

  std::size_t width_;
  std::size_t stride_;     // a full row and its alignment bytes
  std::size_t lastRow_;    // bytes of the last row
  std::size_t rowsAfter_;  // rows after the current one
  std::size_t areaSize_;
  Bytes area_;                  // areaSize_ bytes and a window to spare
  std::uint8_t* rowEnd_;        // end of the current row
  std::uint8_t kept_[kWindow];  // the bytes after the current row
};

static_assert(ElementSink<RowWriter>);

// Yields before and reports the row bar after each row of `length` stored
// bytes in rows of `width` bytes, as the row pass does.
void ReportRows(std::size_t length, std::size_t width, RowsHost& host);

}  // namespace sprite::codec
