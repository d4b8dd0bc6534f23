#pragma once

#include <cstdint>
#include <span>

#include "codec/yielder.h"
#include "common/bytes.h"

namespace sprite::codec {

// What RLEDecompressRows asks of the window that runs it: the two progress
// bars and a yield to the message loop. A host may stop a run by throwing
// from any of its calls (a window closed during a yield): the error leaves the
// decoder as thrown, and the decoder keeps nothing from the run.
class RowsHost : public Yielder {
 public:
  // Stands for `elements` times { first bar := percent; Yield(); }, once for each
  // of that many consecutive coded elements whose stream percentage is the same.
  // The decoder reports runs of equal percentages in one call so that it can
  // decode spans of elements in bulk; a host may expand it element by element.
  virtual void ElementsDecoded(std::int32_t percent, std::int64_t elements) = 0;
  // Stands for { Yield(); second bar := p; } for each p of `percents` in
  // order: one row each, as the rows are put in front of the area. The
  // decoder hands the row percentages over in tables rather than one call per
  // row; a host may expand them row by row.
  virtual void RowsPlaced(std::span<const std::int32_t> percents) = 0;
};

// Longest stream RLEDecompress takes: its position counter is 16-bit signed and
// is advanced once more after the last element.
inline constexpr std::int32_t kMaxVerifiedStream = 32766;

// Decodes a coded stream. Throws OverflowError for a stream of 32767 bytes or
// more, FaultError (kLoneRunMarker) for a lone 0x00 at the end.
Bytes RLEDecompress(ByteView coded);

// Decodes one archive entry and rebuilds the pixel area of an 8-bit bitmap:
// rows of `width` bytes in reverse order, each followed by (4 - width % 4) % 4
// zero bytes. Reports stream progress after every element and, per row, a
// yield before it and the row bar after it. Throws FaultError for a width of 0
// or less (kWidthWithoutRows, before any host call) or a lone trailing 0x00
// (kLoneRunMarker, after the calls for the elements before it); OverflowError,
// before any host call, when the stream or its decoded rows pass the 32-bit
// position counters.
Bytes RLEDecompressRows(ByteView coded, std::int16_t width, RowsHost& host);

// Decodes one archive entry into its stored rows, as RLEDecompress does but
// with the 32-bit limits of RLEDecompressRows and its calls to `host` (stream
// progress, and per row of `width` bytes a yield and the row bar), for writers
// that want the rows as stored rather than a bitmap's pixel area. Throws as
// RLEDecompressRows does.
Bytes RLEDecompressStoredRows(ByteView coded, std::int16_t width, RowsHost& host);

}  // namespace sprite::codec
