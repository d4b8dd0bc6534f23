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

// RoundedPercent(first + k * step, whole) for k = 0, 1, 2, ... with one
// division in all instead of one per value: the row pass reports a percentage
// for every row.
class PercentSteps {
 public:
  constexpr PercentSteps(std::int64_t first, std::int64_t step, std::int64_t whole)
      : quotient_(first * 100 / whole),
        remainder_(first * 100 % whole),
        stepQuotient_(step * 100 / whole),
        stepRemainder_(step * 100 % whole),
        whole_(whole) {}

  // Both without branches: whether a step carries or a value rounds up
  // changes from row to row in no pattern a branch predictor could learn.
  constexpr std::int32_t Current() const {
    const std::int64_t twiceRemainder = 2 * remainder_;
    const bool up = (twiceRemainder > whole_) | ((twiceRemainder == whole_) & (quotient_ % 2 != 0));
    return static_cast<std::int32_t>(quotient_ + std::int64_t{up});
  }

  constexpr void Advance() {
    remainder_ += stepRemainder_;
    const std::int64_t carry = remainder_ >= whole_ ? 1 : 0;
    quotient_ += stepQuotient_ + carry;
    remainder_ -= whole_ & -carry;
  }

 private:
  std::int64_t quotient_;
  std::int64_t remainder_;
  std::int64_t stepQuotient_;
  std::int64_t stepRemainder_;
  std::int64_t whole_;
};

// The last position of 1..whole whose RoundedPercent is at most `percent`
// (0 when there is none), with a division by a constant only.
constexpr std::int64_t LastPositionAtPercent(std::int32_t percent, std::int64_t whole) {
  // Positions up to (2 * percent + 1) * whole / 200 round to `percent` or
  // less; one exactly there is a half, which stays at an even `percent`.
  const std::int64_t bound = (2 * std::int64_t{percent} + 1) * whole;
  std::int64_t last = bound / 200;
  if (bound % 200 == 0 && percent % 2 != 0) {
    --last;
  }
  return last < whole ? last : whole;
}

}  // namespace sprite::codec
