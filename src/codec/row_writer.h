#pragma once

#include <cstddef>
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
// stores nothing past it. A place's end (dst + left) is the end of its row,
// so the next row follows from the place alone.
class RowWriter {
 public:
  // `length` (at least 1) stored bytes in rows of `width` bytes.
  RowWriter(std::size_t length, std::size_t width);

  // All `length` stored bytes at once.
  void PutRows(const std::uint8_t* src);

  // The element walker's sink (ElementSink).
  OutputPlace Begin() const;
  // The next row, or past the last one a place where nothing more is put
  // but the empty elements a stream may still hold: a window of scratch.
  OutputPlace Next(OutputPlace at) const;
  // A zero run passes about every other row end in a picture with margins,
  // in no pattern a branch could learn: a run into the next full row is
  // taken without a branch on whether it passes one; a run into the last
  // row, or past more than one row end, goes row by row.
  OutputPlace Skip(OutputPlace at, std::size_t run) const {
    // All ones when the run reaches the row end: masks, not a select, which
    // the compiler would turn back into a branch.
    const std::size_t crossing = std::size_t{0} - std::size_t{run >= at.left};
    const bool rowByRow = (run - at.left >= width_) | (at.dst + at.left <= lastFullRowEnd_);
    if ((crossing & std::size_t{rowByRow}) != 0) {
      return SkipRows(at, run);
    }
    return {at.dst + run - (rowStep_ & crossing), at.left + (width_ & crossing) - run};
  }
  void End(OutputPlace /*at*/) {}

  // The area, once every stored byte has been given.
  Bytes Finish();

 private:
  OutputPlace SkipRows(OutputPlace at, std::size_t run) const;

  std::size_t width_;
  std::size_t stride_;    // a full row and its alignment bytes
  std::size_t lastRow_;   // bytes of the last row
  std::size_t areaSize_;  // the area; the scratch window follows it
  Bytes area_;
  std::uint8_t* firstRowEnd_;
  std::uint8_t* lastRowEnd_;
  // The end of the row before the last one (the last one's, in an area of
  // one row): from a row ending there or before it, a run goes row by row.
  std::uint8_t* lastFullRowEnd_;
  std::uint8_t* scratchEnd_;
  // From a row's end to the same column of the row after it, backwards.
  std::size_t rowStep_;
};

static_assert(ElementSink<RowWriter>);

}  // namespace sprite::codec
