#include "codec/stream_scan.h"

#include <bit>

#include "codec/byte_window.h"

namespace sprite::codec {
namespace {

// One byte at a time, for a window where two zeros meet (a count of 0) and
// for the last bytes. `countNext` says the first byte is a count. Returns the
// bits of the run markers.
std::uint64_t ScanBytes(const std::uint8_t* p, std::size_t length, bool& countNext) {
  std::uint64_t markers = 0;
  for (std::size_t k = 0; k < length; ++k) {
    if (countNext) {
      countNext = false;
    } else if (p[k] == 0) {
      markers |= std::uint64_t{1} << k;
      countNext = true;
    }
  }
  return markers;
}

}  // namespace

StreamScan ScanStream(ByteView coded) {
  const std::uint8_t* in = coded.data();
  const std::size_t n = coded.size();
  const std::size_t windows = n / kWindow + 1;
  StreamScan scan;
  scan.markers.resize(windows);
  scan.markersBefore.resize(windows + 1);
  // Locals, not members of `scan`: stores through the arrays could alias those.
  std::uint64_t* markers = scan.markers.data();
  std::uint32_t* markersBefore = scan.markersBefore.data();
  bool countNext = false;
  std::size_t w = 0;
  for (; w + 1 < windows; ++w) {
    const std::uint8_t* p = in + w * kWindow;
    const std::uint64_t zeros = ZeroMask(p);
    // Where no two zeros meet, every zero is a marker and the byte after it
    // its count; a marker in the last byte has its count in the next window.
    if ((zeros & (zeros << 1 | std::uint64_t{countNext})) == 0) {
      markers[w] = zeros;
      countNext = (zeros >> 63) != 0;
    } else {
      markers[w] = ScanBytes(p, kWindow, countNext);
    }
  }
  markers[w] = ScanBytes(in + w * kWindow, n - w * kWindow, countNext);
  scan.complete = !countNext;

  // Every byte is a literal but the markers and their counts; a lone marker
  // at the end has no count.
  std::uint32_t count = 0;
  std::size_t runBytes = 0;
  for (w = 0; w < windows; ++w) {
    markersBefore[w] = count;
    for (std::uint64_t bits = markers[w]; bits != 0; bits &= bits - 1) {
      const std::size_t countAt =
          w * kWindow + static_cast<std::size_t>(std::countr_zero(bits)) + 1;
      runBytes += countAt < n ? in[countAt] : 0;
      ++count;
    }
  }
  markersBefore[windows] = count;
  scan.count = count;
  scan.decoded = n - 2 * std::size_t{count} + (scan.complete ? 0 : 1) + runBytes;
  return scan;
}

}  // namespace sprite::codec
