// Conversions that fail with an overflow error where a narrower integer
// cannot hold the value, as the dialogs' 16-bit and 32-bit fields require.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "common/error.h"

namespace sprite::dialogs {

// Rounded to the nearest integer, halves to even (the default rounding mode).
inline std::int32_t RoundToInt32(double value, const char* what) {
  const double rounded = std::nearbyint(value);
  // Written so that a value that is not a number fails too.
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max())) {
    throw OverflowError(std::string(what) + " " + std::to_string(value) +
                        " does not fit a 32-bit integer");
  }
  return static_cast<std::int32_t>(rounded);
}

inline std::int16_t ToInt16(std::int32_t value, const char* what) {
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    throw OverflowError(std::string(what) + " " + std::to_string(value) +
                        " is outside -32768 to 32767");
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace sprite::dialogs
