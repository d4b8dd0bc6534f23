#include "codec/rle_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "codec/rounded_percent.h"
#include "codec/row_alignment.h"
#include "common/error.h"

namespace sprite::codec {
namespace {

// RLEDecompressRows counts stream positions in 32 bits and advances the counter
// once past the last byte.
constexpr std::size_t kMaxRowsStream = std::numeric_limits<std::int32_t>::max() - 1;

struct StreamShape {
  std::size_t decodedSize = 0;
  bool endsInLoneZero = false;
};

// Walks the elements once without writing, so the output is allocated once at
// its exact size.
StreamShape MeasureStream(ByteView coded) {
  StreamShape shape;
  const std::uint8_t* p = coded.data();
  const std::uint8_t* const end = p + coded.size();
  while (p < end) {
    const auto* zero =
        static_cast<const std::uint8_t*>(std::memchr(p, 0, static_cast<std::size_t>(end - p)));
    if (zero == nullptr) {
      shape.decodedSize += static_cast<std::size_t>(end - p);
      break;
    }
    shape.decodedSize += static_cast<std::size_t>(zero - p);
    if (zero + 1 == end) {
      shape.endsInLoneZero = true;
      break;
    }
    shape.decodedSize += zero[1];
    p = zero + 2;
  }
  return shape;
}

struct DecodedSpan {
  std::size_t next = 0;       // stream index of the first element not decoded
  std::int64_t elements = 0;  // elements decoded
};

// Decodes every element that starts at index `pos` or later and whose last byte
// lies before index `limit`. `out` must be zero-filled: zero runs only advance it.
DecodedSpan DecodeElements(const std::uint8_t* coded, std::size_t pos, std::size_t limit,
                           std::uint8_t*& out) {
  DecodedSpan span;
  while (pos < limit) {
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(coded + pos, 0, limit - pos));
    const std::size_t literalEnd = zero != nullptr ? static_cast<std::size_t>(zero - coded) : limit;
    const std::size_t literals = literalEnd - pos;
    std::memcpy(out, coded + pos, literals);
    out += literals;
    span.elements += static_cast<std::int64_t>(literals);
    pos = literalEnd;
    if (pos + 1 >= limit) {
      break;  // no zero, or its count byte lies at or past the limit
    }
    out += coded[pos + 1];
    ++span.elements;
    pos += 2;
  }
  span.next = pos;
  return span;
}

[[noreturn]] void ThrowLoneZero(std::size_t streamLength) {
  throw InvalidArgumentError("coded stream of " + std::to_string(streamLength) +
                             " bytes ends with a zero-run marker at byte " +
                             std::to_string(streamLength) + " and no count byte after it");
}

// The last 1-based stream position whose percentage is still `percent`.
std::size_t LastPositionAt(std::int32_t percent, std::size_t n) {
  const auto whole = static_cast<std::int64_t>(n);
  // Positions past (2 * percent + 1) * n / 200 round to a higher percentage.
  std::int64_t last = std::min<std::int64_t>(whole, (2 * std::int64_t{percent} + 1) * whole / 200);
  while (last > 1 && RoundedPercent(last, whole) > percent) {
    --last;
  }
  return static_cast<std::size_t>(last);
}

}  // namespace

Bytes RLEDecompress(ByteView coded) {
  if (coded.size() > static_cast<std::size_t>(kMaxVerifiedStream)) {
    throw OverflowError("coded stream of " + std::to_string(coded.size()) +
                        " bytes is too long to verify: at most " +
                        std::to_string(kMaxVerifiedStream) + " bytes");
  }
  const StreamShape shape = MeasureStream(coded);
  if (shape.endsInLoneZero) {
    ThrowLoneZero(coded.size());
  }
  Bytes out(shape.decodedSize);
  std::uint8_t* w = out.data();
  DecodeElements(coded.data(), 0, coded.size(), w);
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
  const StreamShape shape = MeasureStream(coded);
  if (shape.decodedSize > kMaxStoredRows) {
    throw OverflowError("coded stream decodes to " + std::to_string(shape.decodedSize) +
                        " bytes: at most " + std::to_string(kMaxStoredRows) +
                        " bytes of rows are supported");
  }

  // Elements are decoded in spans that share one stream percentage, and each
  // span is reported to the host in one call.
  Bytes rows(shape.decodedSize);
  std::uint8_t* w = rows.data();
  std::size_t pos = 0;
  while (pos < n) {
    const std::size_t lastByte = coded[pos] != 0 ? pos + 1 : pos + 2;  // 1-based
    if (lastByte > n) {
      break;  // the lone trailing zero
    }
    const std::int32_t percent =
        RoundedPercent(static_cast<std::int64_t>(lastByte), static_cast<std::int64_t>(n));
    const DecodedSpan span = DecodeElements(coded.data(), pos, LastPositionAt(percent, n), w);
    host.ElementsDecoded(percent, span.elements);
    pos = span.next;
  }
  if (shape.endsInLoneZero) {
    ThrowLoneZero(n);
  }
  return AddRowAlignment(rows, width, &host);
}

}  // namespace sprite::codec
