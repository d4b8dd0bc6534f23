#include "codec/rle_decoder.h"

#include <limits>
#include <string>

#include "codec/byte_window.h"
#include "codec/element_walker.h"
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

// The verifying decoder's output: the decoded bytes in order, in a buffer
// sized by the scan, with room for a window store after them. The walk never
// reaches its end.
class InOrderSink {
 public:
  explicit InOrderSink(std::uint8_t* out) : out_(out) {}

  OutputPlace Begin() { return {out_, kNoEnd}; }
  OutputPlace Next(OutputPlace /*at*/) { return {out_, kNoEnd}; }
  static OutputPlace Skip(OutputPlace at, std::size_t run) { return {at.dst + run, at.left - run}; }
  void End(OutputPlace /*at*/) {}

 private:
  static constexpr std::size_t kNoEnd = std::numeric_limits<std::size_t>::max();
  std::uint8_t* out_;
};

static_assert(ElementSink<InOrderSink>);

}  // namespace

Bytes RLEDecompress(ByteView coded) {
  if (coded.size() > static_cast<std::size_t>(kMaxVerifiedStream)) {
    throw OverflowError("coded stream of " + std::to_string(coded.size()) +
                        " bytes is too long to verify: at most " +
                        std::to_string(kMaxVerifiedStream) + " bytes");
  }
  const StreamScan scan = ScanStream(coded);
  if (!scan.complete) {
    ThrowLoneZero(coded.size());
  }
  Bytes out(scan.decoded + kWindow);
  InOrderSink sink(out.data());
  WalkElements(coded, scan, sink);
  out.resize(scan.decoded);
  return out;
}

namespace {

// The checks and the scan both row decoders start with; the stream's length
// has been reported to the host's first bar.
StreamScan ScanRows(ByteView coded, std::int16_t width, RowsHost& host) {
  CheckWidth(width);
  const std::size_t n = coded.size();
  if (n > kMaxRowsStream) {
    throw OverflowError("coded stream of " + std::to_string(n) + " bytes is too long: at most " +
                        std::to_string(kMaxRowsStream) + " bytes");
  }
  // One scan gives the decoded length, so the area is sized once, and the
  // markers, which tell where each element ends, for the first bar.
  const StreamScan scan = ScanStream(coded);
  if (scan.decoded > kMaxStoredRows) {
    throw OverflowError("coded stream decodes to " + std::to_string(scan.decoded) +
                        " bytes: at most " + std::to_string(kMaxStoredRows) +
                        " bytes of rows are supported");
  }
  ReportElements(n, scan, host);
  if (!scan.complete) {
    ThrowLoneZero(n);
  }
  return scan;
}

}  // namespace

Bytes RLEDecompressRows(ByteView coded, std::int16_t width, RowsHost& host) {
  const StreamScan scan = ScanRows(coded, width, host);
  if (scan.decoded == 0) {
    return {};
  }

  // The bytes go straight to their rows; nobody sees them before the row
  // reports, so those follow.
  const auto rowBytes = static_cast<std::size_t>(width);
  RowWriter writer(scan.decoded, rowBytes);
  WalkElements(coded, scan, writer);
  Bytes area = writer.Finish();
  ReportRows(scan.decoded, rowBytes, host);
  return area;
}

Bytes RLEDecompressStoredRows(ByteView coded, std::int16_t width, RowsHost& host) {
  const StreamScan scan = ScanRows(coded, width, host);
  // Sized once from the scan, with the window the walker's stores may use.
  Bytes rows(scan.decoded + kWindow);
  InOrderSink sink(rows.data());
  WalkElements(coded, scan, sink);
  rows.resize(scan.decoded);
  ReportRows(scan.decoded, static_cast<std::size_t>(width), host);
  return rows;
}

}  // namespace sprite::codec
