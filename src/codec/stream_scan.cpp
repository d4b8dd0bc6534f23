#include "codec/stream_scan.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "codec/byte_window.h"

namespace sprite::codec {
namespace {

constexpr std::uint64_t kAll = ~std::uint64_t{0};

// One byte at a time, for a window where two zeros meet (a count of 0) and
// for the last bytes. `countNext` says the first byte is a count. Returns the
// bits of the run markers, and counts them.
std::uint64_t ScanBytes(const std::uint8_t* p, std::size_t length, bool& countNext,
                        std::size_t& decoded, std::size_t& markerCount) {
  std::uint64_t markers = 0;
  for (std::size_t k = 0; k < length; ++k) {
    if (countNext) {
      decoded += p[k];
      countNext = false;
    } else if (p[k] != 0) {
      ++decoded;
    } else {
      markers |= std::uint64_t{1} << k;
      ++markerCount;
      countNext = true;
    }
  }
  return markers;
}

}  // namespace

StreamScan ScanStream(ByteView coded, PercentProgress* progress) {
  const std::uint8_t* in = coded.data();
  const std::size_t n = coded.size();
  // Without a progress, one mark that no window reaches and a slot to spare.
  static constexpr std::size_t kNoMarks[] = {std::numeric_limits<std::size_t>::max()};
  PercentProgress::MarkWindow spare;
  const std::size_t* marks = progress != nullptr ? progress->Marks().data() : kNoMarks;
  PercentProgress::MarkWindow* markWindows =
      progress != nullptr ? progress->Windows().data() : &spare;
  std::size_t mark = 0;
  StreamScan scan;
  scan.zeroMasks.resize(n / kWindow);
  // Locals, not members of `scan`: stores of masks could alias those.
  std::uint64_t* masks = scan.zeroMasks.data();
  std::size_t decoded = 0;
  std::size_t markers = 0;  // run markers before the window
  bool countNext = false;
  for (std::size_t base = 0; base < n; base += kWindow) {
    const std::size_t length = std::min(kWindow, n - base);
    const std::size_t markersBefore = markers;
    std::uint64_t zeros = kAll;
    if (length == kWindow) {
      zeros = ZeroMask(in + base);
      masks[base / kWindow] = zeros;
    }
    std::uint64_t markerBits = zeros;
    if ((zeros & (zeros << 1 | std::uint64_t{countNext})) == 0) {
      // Every zero is a marker and the byte after it its count; every other
      // byte is a literal and adds 1. Marker and count add no literal.
      markers += zeros >> 63;
      decoded += kWindow - (zeros >> 63);
      if (countNext) {
        decoded += in[base] - std::size_t{1};
      }
      for (std::uint64_t z = zeros & (kAll >> 1); z != 0; z &= z - 1) {
        decoded += in[base + 1 + static_cast<std::size_t>(std::countr_zero(z))] - std::size_t{2};
        ++markers;
      }
      countNext = (zeros >> 63) != 0;
    } else {
      markerBits = ScanBytes(in + base, length, countNext, decoded, markers);
    }
    // The window of the next mark is stored every time and stands once it
    // holds the mark: the marks come every hundredth of the stream, in no
    // pattern that a branch on them could learn.
    const std::size_t end = base + length;
    markWindows[mark] = {markerBits, markersBefore};
    mark += marks[mark] <= end ? 1 : 0;
    for (; marks[mark] <= end; ++mark) {  // more marks in one window: short streams only
      markWindows[mark] = {markerBits, markersBefore};
    }
  }
  scan.decoded = decoded;
  scan.complete = !countNext;
  return scan;
}

}  // namespace sprite::codec
