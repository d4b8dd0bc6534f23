#pragma once

#include <cstddef>
#include <cstdint>

#include "codec/byte_window.h"

// Processors of the x86 family from 2008 on count the set bits of a word in
// one instruction; the program is built for those before them too, so the
// loops that count bits per window are built twice and choose at run time.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define SPRITE_CODEC_BIT_COUNT_INSTRUCTION 1
#define SPRITE_CODEC_WITH_BIT_COUNT [[gnu::target("popcnt")]]
#define SPRITE_CODEC_INLINE_BIT_COUNT [[gnu::always_inline]] inline
#else
#define SPRITE_CODEC_BIT_COUNT_INSTRUCTION 0
#define SPRITE_CODEC_INLINE_BIT_COUNT inline
#endif

namespace sprite::codec {

enum class BitCount { kPortable, kInstruction };

// Set bits of `x`. The instruction is used where the function this is inlined
// into is built for it; elsewhere the same call still counts right.
template <BitCount kHow>
constexpr std::size_t CountBits(std::uint64_t x) {
  if constexpr (kHow == BitCount::kInstruction) {
    return static_cast<std::size_t>(__builtin_popcountll(x));
  } else {
    return PopCount(x);
  }
}

// Whether the processor running the program has the instruction.
inline bool HasBitCountInstruction() {
#if SPRITE_CODEC_BIT_COUNT_INSTRUCTION
  return __builtin_cpu_supports("popcnt");
#else
  return false;
#endif
}

}  // namespace sprite::codec
