#pragma once

// Plain step-by-step transcriptions of the codec algorithms, kept as the
// reference the fast code is tested against. They favour being obviously
// right over being fast: one byte at a time, counters of their 16- and 32-bit widths,
// rows put in front of the area one by one.

#include <cstdint>

#include "common/bytes.h"

namespace sprite::codec::oracle {

// The three host operations the row decoder uses, one call per step.
class StepHost {
 public:
  virtual ~StepHost() = default;
  virtual void SetFirstBar(std::int32_t percent) = 0;
  virtual void SetSecondBar(std::int32_t percent) = 0;
  virtual void Yield() = 0;
};

// prev / count state machine with the end marker -1 past the last byte.
Bytes Compress2(ByteView input);

// Element walk with a 16-bit signed position counter.
Bytes Decompress(ByteView coded);

// Element walk with a 32-bit counter, a 4024-byte working buffer, one bar
// update and yield per element, then the prepend-based row pass.
Bytes DecompressRows(ByteView coded, std::int16_t width, StepHost& host);

// The prepend-based row pass on its own (the flip check's reverse construction).
Bytes AddAlignment(ByteView storedRows, std::int32_t width, StepHost* host);

// Slices every width + pad bytes, each put in front of the result.
Bytes Strip(ByteView pixelArea, std::int32_t width);

// Groups of four with a 16-bit position counter.
Bytes SwapRedBlue(ByteView palette);

}  // namespace sprite::codec::oracle
