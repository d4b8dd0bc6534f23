#pragma once

#include <cstdint>

#include "codec/rounded_percent.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sprite::codec {

// The row bar's percentages, four rows at a time: Put writes
// RoundedPercent(first + k * step, whole) for the next four k, Advance moves
// on by four. Each row has its own PercentSteps four rows long: four short
// chains of additions the processor runs side by side, not one long one;
// named, not in an array, so that all four stay in registers.
class FourRowChains {
 public:
  FourRowChains(std::int64_t first, std::int64_t step, std::int64_t whole)
      : row0_(first, 4 * step, whole),
        row1_(first + step, 4 * step, whole),
        row2_(first + 2 * step, 4 * step, whole),
        row3_(first + 3 * step, 4 * step, whole) {}

  void Put(std::int32_t* out) const {
    out[0] = row0_.Current();
    out[1] = row1_.Current();
    out[2] = row2_.Current();
    out[3] = row3_.Current();
  }
  void Advance() {
    row0_.Advance();
    row1_.Advance();
    row2_.Advance();
    row3_.Advance();
  }

 private:
  PercentSteps row0_;
  PercentSteps row1_;
  PercentSteps row2_;
  PercentSteps row3_;
};

#if defined(__SSE2__)
// The same four chains in the four 32-bit lanes of one register, where a
// remainder and its step, each below 2 * whole, add up within 31 bits: a
// row takes a quarter of an instruction's work where the 64-bit chains
// take a dozen instructions.
class FourRowLanes {
 public:
  static constexpr std::int64_t kMaxWhole = (std::int64_t{1} << 29) - 1;

  FourRowLanes(std::int64_t first, std::int64_t step, std::int64_t whole) {
    const std::int64_t twiceWhole = 2 * whole;
    const auto lane = [&](std::int64_t k) { return (first + k * step) * 200 + whole; };
    const auto low = [](std::int64_t value) { return static_cast<std::int32_t>(value); };
    quotient_ = _mm_setr_epi32(low(lane(0) / twiceWhole), low(lane(1) / twiceWhole),
                               low(lane(2) / twiceWhole), low(lane(3) / twiceWhole));
    remainder_ = _mm_setr_epi32(low(lane(0) % twiceWhole), low(lane(1) % twiceWhole),
                                low(lane(2) % twiceWhole), low(lane(3) % twiceWhole));
    const std::int64_t laneStep = 4 * step * 200;
    // One more than the step's quotient: a lane that does not carry takes
    // the one back with its all-ones "below" mask.
    stepQuotient_ = _mm_set1_epi32(low(laneStep / twiceWhole + 1));
    stepRemainder_ = _mm_set1_epi32(low(laneStep % twiceWhole));
    twiceWhole_ = _mm_set1_epi32(low(twiceWhole));
  }

  // PercentSteps::Current in each lane: at a half, the even one below.
  void Put(std::int32_t* out) const {
    const __m128i half = _mm_cmpeq_epi32(remainder_, _mm_setzero_si128());
    const __m128i odd = _mm_and_si128(quotient_, _mm_set1_epi32(1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_sub_epi32(quotient_, _mm_and_si128(half, odd)));
  }
  // PercentSteps::Advance in each lane, the carry taken from the sign.
  void Advance() {
    const __m128i sum = _mm_add_epi32(remainder_, stepRemainder_);
    const __m128i wrapped = _mm_sub_epi32(sum, twiceWhole_);
    const __m128i below = _mm_srai_epi32(wrapped, 31);
    quotient_ = _mm_add_epi32(quotient_, _mm_add_epi32(stepQuotient_, below));
    remainder_ = _mm_add_epi32(wrapped, _mm_and_si128(below, twiceWhole_));
  }

 private:
  __m128i quotient_;
  __m128i remainder_;
  __m128i stepQuotient_;
  __m128i stepRemainder_;
  __m128i twiceWhole_;
};
#endif

}  // namespace sprite::codec
