#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sprite::codec {

// The coder and the decoders look at their input in windows of 64 bytes at
// fixed steps: one bit mask per window says where the zero bytes are, so the
// boundaries between literal spans and zero runs are found by counting
// trailing bits, and no step waits on the outcome of the one before it (a
// memchr per element does). Literal bytes are copied a whole window at a time
// into an output buffer with room to spare at its end.
inline constexpr std::size_t kWindow = 64;

// Bit k is set when p[k] is zero. Reads 64 bytes.
inline std::uint64_t ZeroMask(const std::uint8_t* p) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const auto* v = reinterpret_cast<const __m128i*>(p);
  // The mask of 16 bytes has no bits above the 16th: a 32-bit value widens
  // for free, where a 16-bit one would take an extra step.
  const auto bits = [&](int k) -> std::uint64_t {
    return static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(v + k), zero)));
  };
  return bits(0) | bits(1) << 16 | bits(2) << 32 | bits(3) << 48;
#else
  std::uint64_t mask = 0;
  for (std::size_t k = 0; k < kWindow; ++k) {
    mask |= std::uint64_t{p[k] == 0} << k;
  }
  return mask;
#endif
}

// Set bits of a window mask. std::popcount is a library call where the
// target has no popcount instruction.
constexpr std::size_t PopCount(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555;
  x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
  return static_cast<std::size_t>((x * 0x0101010101010101) >> 56);
}

// Copies a whole window; both sides must have 64 bytes.
//
// Window stores: a literal span is copied a whole window at a time from its
// first byte, so a store may write up to 64 bytes past the span's end. Those
// bytes are scratch: what comes next in the output (the zero run or span that
// follows) writes over them, and the output keeps 64 bytes of room after the
// last place it stores at. Every user of CopyWindow on output follows this
// rule; it is stated here once.
inline void CopyWindow(std::uint8_t* dst, const std::uint8_t* src) {
  std::memcpy(dst, src, kWindow);
}

// Copies a window, or what is left before `srcEnd` when that is less. `dst`
// must have 64 bytes.
inline void CopyUpToWindow(std::uint8_t* dst, const std::uint8_t* src, const std::uint8_t* srcEnd) {
  if (srcEnd - src >= static_cast<std::ptrdiff_t>(kWindow)) {
    CopyWindow(dst, src);
  } else {
    std::memcpy(dst, src, static_cast<std::size_t>(srcEnd - src));
  }
}

// A window of 0xFF bytes and then one of zeros: the 64 bytes from
// kKeepFirst + 64 - count keep the first `count` bytes of a window.
inline constexpr std::array<std::uint8_t, 2 * kWindow> kKeepFirst = [] {
  std::array<std::uint8_t, 2 * kWindow> mask{};
  for (std::size_t k = 0; k < kWindow; ++k) {
    mask[k] = 0xFF;
  }
  return mask;
}();

// Stores the first `count` (at most 64) bytes of `src` at `dst` and zeros
// after them up to a whole window, in one store of a window: both sides must
// have 64 bytes. Where what follows the bytes in the output is still as it
// started (zero), the store leaves no scratch behind.
inline void PutWindow(std::uint8_t* dst, const std::uint8_t* src, std::size_t count) {
  const std::uint8_t* keep = kKeepFirst.data() + kWindow - count;
#if defined(__SSE2__)
  // The four stores written out: as a loop the compiler keeps the loop.
  const auto put = [&](std::size_t k) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + k));
    const __m128i mask = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keep + k));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k), _mm_and_si128(bytes, mask));
  };
  put(0);
  put(16);
  put(32);
  put(48);
#else
  for (std::size_t k = 0; k < kWindow; ++k) {
    dst[k] = src[k] & keep[k];
  }
#endif
}

}  // namespace sprite::codec
