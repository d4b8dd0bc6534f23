#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/bit_count.h"
#include "codec/byte_window.h"
#include "common/bytes.h"

namespace sprite::codec {

// What a decoder learns from one read of a coded stream before it writes a
// byte: how long the output is, so it is sized once, whether the stream is
// damaged, so nothing is written for a stream that fails, and where its zero
// runs begin, so the decoding walk and the progress count need not tell
// markers from counts again.
struct StreamScan {
  std::size_t decoded = 0;  // bytes the complete elements decode to
  bool complete = true;     // false when a zero-run marker ends the stream without its count
  // Bit k of markers[w] is set when byte 64 * w + k is a zero-run marker (a
  // zero that is not a count). One mask for every window the stream has
  // begun, the last one short or empty: length / 64 + 1 masks.
  std::vector<std::uint64_t> markers;
  // Run markers before each window, and after the last one in the last entry:
  // one entry more than `markers`.
  std::vector<std::uint32_t> markersBefore;
  std::size_t count = 0;  // run markers in all

  // Run markers among the stream's first `position` bytes (at most its length).
  template <BitCount kHow = BitCount::kPortable>
  std::size_t MarkersBefore(std::size_t position) const {
    const std::uint64_t before = (std::uint64_t{1} << position % kWindow) - 1;
    return markersBefore[position / kWindow] +
           CountBits<kHow>(markers[position / kWindow] & before);
  }
};

// The run markers of a scan, in order.
class MarkerCursor {
 public:
  explicit MarkerCursor(std::span<const std::uint64_t> markers)
      : markers_(markers.data()), bits_(markers[0]) {}

  // The position of the next marker; there must be one.
  std::size_t Next() {
    while (bits_ == 0) {
      bits_ = markers_[++window_];
    }
    const std::size_t marker =
        window_ * kWindow + static_cast<std::size_t>(std::countr_zero(bits_));
    bits_ &= bits_ - 1;
    return marker;
  }

 private:
  const std::uint64_t* markers_;
  std::size_t window_ = 0;
  std::uint64_t bits_;
};

// Scans `coded` a window at a time. The stream must be shorter than 2^32
// bytes.
StreamScan ScanStream(ByteView coded);

}  // namespace sprite::codec
