#pragma once

#include <cstddef>

#include "codec/rle_decoder.h"
#include "codec/stream_scan.h"

namespace sprite::codec {

// The first bar of the row decoder: after each element the bar shows the
// percentage of the stream up to the element's last byte. Every byte of a
// stream ends an element except a run marker, so the elements ending at or
// before a stream position are the position less the markers before it. The
// last position of each percentage is such a position: the host is told, per
// percentage, how many elements end by it that ended by no lower one.
void ReportElements(std::size_t streamLength, const StreamScan& scan, RowsHost& host);

// The second bar: a yield before and the row bar after each row of `length`
// stored bytes in rows of `width` bytes, as the row pass does, handed to the
// host a table of rows at a time.
void ReportRows(std::size_t length, std::size_t width, RowsHost& host);

}  // namespace sprite::codec
