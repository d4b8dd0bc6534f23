#include "codec/rle_decoder.h"

#include <algorithm>
#include <limits>
#include <string>

#include "codec/byte_window.h"
#include "codec/element_walker.h"
#include "codec/rounded_percent.h"
#include "codec/row_alignment.h"
#include "common/error.h"

namespace sprite::codec {
namespace {

// RLEDecompressRows counts stream positions in 32 bits and advances the counter
// once past the last byte.
constexpr std::size_t kMaxRowsStream = std::numeric_limits<std::int32_t>::max() - 1;

[[noreturn]] void ThrowLoneZero(std::size_t streamLength) {
  throw InvalidArgumentError("coded stream of " + std::to_string(streamLength) +
                             " bytes ends with a zero-run marker at byte " +
                             std::to_string(streamLength) + " and no count byte after it");
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
  ElementWalker<true> walker(coded, &out);
  walker.WalkTo(coded.size());
  if (walker.next() < coded.size()) {
    ThrowLoneZero(coded.size());
  }
  out.resize(walker.decoded());
  return out;
}

Bytes RLEDecompressRows(ByteView coded, std::int16_t width, RowsHost& host) {
  if (width <= 0) {
    throw InvalidArgumentError("picture width " + std::to_string(width) +
                               " has no rows: the width must be at least 1");
  }
  const std::size_t n = coded.size();
  if (n > kMaxRowsStream) {
    throw OverflowError("coded stream of " + std::to_string(n) + " bytes is too long: at most " +
                        std::to_string(kMaxRowsStream) + " bytes");
  }
  // Each byte of stream decodes to at most 127.5 bytes; only a stream that
  // could pass the row position's limit is measured before any host call.
  if (n > kMaxStoredRows / 128) {
    const std::size_t decoded = MeasureStream(coded);
    if (decoded > kMaxStoredRows) {
      throw OverflowError("coded stream decodes to " + std::to_string(decoded) +
                          " bytes: at most " + std::to_string(kMaxStoredRows) +
                          " bytes of rows are supported");
    }
  }

  // The walk stops at the last stream position of each percentage, and the
  // elements of each stretch are reported to the host in one call.
  Bytes rows(InitialOutputSize(n));
  ElementWalker<true> walker(coded, &rows);

  const auto whole = static_cast<std::int64_t>(n);
  std::int32_t percent = 0;
  auto last = static_cast<std::size_t>(LastPositionAtPercent(percent, whole));
  while (walker.next() < n) {
    const std::size_t pos = walker.next();
    const std::size_t lastByte = coded[pos] != 0 ? pos + 1 : pos + 2;  // 1-based
    if (lastByte > n) {
      break;  // a lone zero at the end is no element
    }
    while (last < lastByte) {
      last = static_cast<std::size_t>(LastPositionAtPercent(++percent, whole));
    }
    host.ElementsDecoded(percent, walker.WalkTo(last));
  }
  if (walker.next() < n) {
    ThrowLoneZero(n);
  }
  rows.resize(walker.decoded());
  return AddRowAlignment(rows, width, &host);
}

}  // namespace sprite::codec
