#pragma once

#include <cstdint>

namespace sprite::codec {

// part * 100 / whole rounded to the nearest integer, halves to the even
// neighbour: what the progress bars show. Integer arithmetic gives the same
// value as std::nearbyint of the floating-point quotient for every count a
// picture can have. `whole` must be positive and `part` not negative.
constexpr std::int32_t RoundedPercent(std::int64_t part, std::int64_t whole) {
  const std::int64_t scaled = part * 100;
  std::int64_t quotient = scaled / whole;
  const std::int64_t twiceRemainder = 2 * (scaled % whole);
  if (twiceRemainder > whole || (twiceRemainder == whole && quotient % 2 != 0)) {
    ++quotient;
  }
  return static_cast<std::int32_t>(quotient);
}

}  // namespace sprite::codec
