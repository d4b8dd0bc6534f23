#pragma once

#include "common/bytes.h"

namespace sprite::codec {

// Longest input: the 16-bit position counter steps by 4 from 1 and must not pass 32767.
inline constexpr std::size_t kMaxSwapInput = 32764;

// Converts a palette between bitmap order (blue, green, red, reserved) and
// archive order (red, green, blue, 0): each group b0 b1 b2 b3 becomes b2 b1 b0 0;
// an incomplete last group gives its bytes highest position first, then 0.
// Throws OverflowError for more than 32764 bytes.
Bytes SwapRedBlue(ByteView palette);

}  // namespace sprite::codec
