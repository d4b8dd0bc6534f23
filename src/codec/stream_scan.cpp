#include "codec/stream_scan.h"

#include <bit>

#include "codec/byte_window.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sprite::codec {
namespace {

// One byte at a time, for a window where two zeros meet (a count of 0) and
// for the last bytes. `countNext` says the first byte is a count; the counts
// met are added to `runBytes`. Returns the bits of the run markers.
std::uint64_t ScanBytes(const std::uint8_t* p, std::size_t length, bool& countNext,
                        std::size_t& runBytes) {
  std::uint64_t markers = 0;
  for (std::size_t k = 0; k < length; ++k) {
    if (countNext) {
      runBytes += p[k];
      countNext = false;
    } else if (p[k] == 0) {
      markers |= std::uint64_t{1} << k;
      countNext = true;
    }
  }
  return markers;
}

// One full window, in one read of its bytes: its markers, and the counts of
// those whose count is in it added to `runBytes`, or all zero bits for a
// window of literals only, which most pictures' streams are mostly made of.
// Falls back on ScanBytes where two zeros meet.
SPRITE_CODEC_INLINE_BIT_COUNT std::uint64_t ScanWindow(const std::uint8_t* p, bool& countNext,
                                                       std::size_t& runBytes) {
  // The count of a marker in the last byte of the window before.
  const std::size_t carried = countNext ? p[0] : 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const auto* v = reinterpret_cast<const __m128i*>(p);
  const __m128i d0 = _mm_loadu_si128(v);
  const __m128i d1 = _mm_loadu_si128(v + 1);
  const __m128i d2 = _mm_loadu_si128(v + 2);
  const __m128i d3 = _mm_loadu_si128(v + 3);
  const __m128i smallest = _mm_min_epu8(_mm_min_epu8(d0, d1), _mm_min_epu8(d2, d3));
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(smallest, zero)) == 0) {
    runBytes += carried;
    countNext = false;
    return 0;
  }
  const __m128i z0 = _mm_cmpeq_epi8(d0, zero);
  const __m128i z1 = _mm_cmpeq_epi8(d1, zero);
  const __m128i z2 = _mm_cmpeq_epi8(d2, zero);
  const __m128i z3 = _mm_cmpeq_epi8(d3, zero);
  const auto bits = [](__m128i z) -> std::uint64_t {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(z));
  };
  const std::uint64_t zeros = bits(z0) | bits(z1) << 16 | bits(z2) << 32 | bits(z3) << 48;
#else
  const std::uint64_t zeros = ZeroMask(p);
  if (zeros == 0) {
    runBytes += carried;
    countNext = false;
    return 0;
  }
#endif
  // Where no two zeros meet, every zero is a marker and the byte after it
  // its count; a marker in the last byte has its count in the next window.
  if ((zeros & (zeros << 1 | std::uint64_t{countNext})) != 0) {
    return ScanBytes(p, kWindow, countNext, runBytes);
  }
  countNext = (zeros >> 63) != 0;
  runBytes += carried;
#if defined(__SSE2__)
  // The bytes after zeros: the window read again one byte on, so that each
  // count lines up with its zero's mask; the last 16 bytes are moved within
  // the window instead, leaving out the count of a marker in its last byte.
  // One sum of absolute differences adds them.
  const auto after = [p](int k) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k + 1));
  };
  const __m128i counts0 = _mm_and_si128(after(0), z0);
  const __m128i counts1 = _mm_and_si128(after(1), z1);
  const __m128i counts2 = _mm_and_si128(after(2), z2);
  const __m128i counts3 = _mm_and_si128(_mm_srli_si128(d3, 1), z3);
  const __m128i sums =
      _mm_add_epi64(_mm_add_epi64(_mm_sad_epu8(counts0, zero), _mm_sad_epu8(counts1, zero)),
                    _mm_add_epi64(_mm_sad_epu8(counts2, zero), _mm_sad_epu8(counts3, zero)));
  // At most 63 counts of 255: the low 32 bits of the lane hold the sum.
  runBytes += static_cast<std::uint32_t>(
      _mm_cvtsi128_si32(_mm_add_epi64(sums, _mm_unpackhi_epi64(sums, sums))));
#else
  for (std::uint64_t marks = zeros & ~(std::uint64_t{1} << 63); marks != 0; marks &= marks - 1) {
    runBytes += p[std::countr_zero(marks) + 1];
  }
#endif
  return zeros;
}

template <BitCount kHow>
SPRITE_CODEC_INLINE_BIT_COUNT StreamScan ScanStreamCounting(ByteView coded) {
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
  std::size_t runBytes = 0;
  std::uint32_t count = 0;
  std::size_t w = 0;
  for (; w + 1 < windows; ++w) {
    const std::uint64_t bits = ScanWindow(in + w * kWindow, countNext, runBytes);
    markers[w] = bits;
    markersBefore[w] = count;
    count += static_cast<std::uint32_t>(CountBits<kHow>(bits));
  }
  const std::uint64_t bits = ScanBytes(in + w * kWindow, n - w * kWindow, countNext, runBytes);
  markers[w] = bits;
  markersBefore[w] = count;
  count += static_cast<std::uint32_t>(CountBits<kHow>(bits));
  markersBefore[windows] = count;
  scan.complete = !countNext;
  scan.count = count;
  // Every byte is a literal but the markers and their counts; a lone marker
  // at the end has no count.
  scan.decoded = n - 2 * std::size_t{count} + (scan.complete ? 0 : 1) + runBytes;
  return scan;
}

#if SPRITE_CODEC_BIT_COUNT_INSTRUCTION
SPRITE_CODEC_WITH_BIT_COUNT StreamScan ScanStreamWithInstruction(ByteView coded) {
  return ScanStreamCounting<BitCount::kInstruction>(coded);
}
#endif

}  // namespace

StreamScan ScanStream(ByteView coded) {
#if SPRITE_CODEC_BIT_COUNT_INSTRUCTION
  if (HasBitCountInstruction()) {
    return ScanStreamWithInstruction(coded);
  }
#endif
  return ScanStreamCounting<BitCount::kPortable>(coded);
}

}  // namespace sprite::codec
