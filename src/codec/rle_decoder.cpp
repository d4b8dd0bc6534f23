#include "codec/rle_decoder.h"

#include <algorithm>
#include <limits>
#include <string>

#include "codec/byte_window.h"
#include "codec/element_walker.h"
#include "codec/growing_sink.h"
#include "codec/percent_progress.h"
#include "codec/picture_width.h"
#include "codec/row_alignment.h"
#include "codec/row_writer.h"
#include "codec/stream_scan.h"
#include "common/error.h"

namespace sprite::codec {
namespace {

// RLEDecompressRows counts stream positions in 32 bits and advances the counter
// once past the last byte.
constexpr std::size_t kMaxRowsStream = std::numeric_limits<std::int32_t>::max() - 1;

[[noreturn]] void ThrowLoneZero(std::size_t streamLength) {
  throw FaultError(
      {.kind = FaultKind::kLoneRunMarker, .value = static_cast<std::int64_t>(streamLength)});
}

// Room for the decoded bytes to start with: sprites decode to about 2.5 times
// their stream, and the output grows when that is not enough. A huge stream
// starts smaller, so that memory follows what it actually decodes to.
std::size_t InitialOutputSize(std::size_t streamLength) {
  constexpr std::size_t kLargestStart = std::size_t{1} << 26;
  return std::min(3 * streamLength, kLargestStart) + 4 * kWindow;
}

}  // namespace

Bytes RLEDecompress(ByteView coded) {
  if (coded.size() > static_cast<std::size_t>(kMaxVerifiedStream)) {
    throw OverflowError("coded stream of " + std::to_string(coded.size()) +
                        " bytes is too long to verify: at most " +
                        std::to_string(kMaxVerifiedStream) + " bytes");
  }
  Bytes out(InitialOutputSize(coded.size()));
  GrowingSink sink(coded, out);
  if (WalkElements(coded, {}, sink) < coded.size()) {
    ThrowLoneZero(coded.size());
  }
  out.resize(sink.Decoded());
  return out;
}

Bytes RLEDecompressRows(ByteView coded, std::int16_t width, RowsHost& host) {
  CheckWidth(width);
  const std::size_t n = coded.size();
  if (n > kMaxRowsStream) {
    throw OverflowError("coded stream of " + std::to_string(n) + " bytes is too long: at most " +
                        std::to_string(kMaxRowsStream) + " bytes");
  }
  // One scan gives the decoded length, so the area is sized once, and the
  // stream position of every element end, for the first bar.
  PercentProgress progress(n);
  const StreamScan scan = ScanStream(coded, &progress);
  if (scan.decoded > kMaxStoredRows) {
    throw OverflowError("coded stream decodes to " + std::to_string(scan.decoded) +
                        " bytes: at most " + std::to_string(kMaxStoredRows) +
                        " bytes of rows are supported");
  }
  progress.Report(host);
  if (!scan.complete) {
    ThrowLoneZero(n);
  }
  if (scan.decoded == 0) {
    return {};
  }

  // The bytes go straight to their rows; nobody sees them before the row
  // reports, so those follow.
  const auto rowBytes = static_cast<std::size_t>(width);
  RowWriter writer(scan.decoded, rowBytes);
  WalkElements(coded, scan.zeroMasks, writer);
  Bytes area = writer.Finish();
  ReportRows(scan.decoded, rowBytes, host);
  return area;
}

}  // namespace sprite::codec
