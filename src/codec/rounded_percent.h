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
// for every row. It keeps (part * 200 + whole) / (2 * whole), which is
// part * 100 / whole + 1/2, as a quotient and a remainder: the quotient is the
// rounded percentage, but at a half (no remainder) it may be odd, and then
// the even one below it is meant.
class PercentSteps {
 public:
  constexpr PercentSteps(std::int64_t first, std::int64_t step, std::int64_t whole)
      : quotient_((first * 200 + whole) / (2 * whole)),
        remainder_((first * 200 + whole) % (2 * whole)),
        stepQuotient_(step * 200 / (2 * whole)),
        stepRemainder_(step * 200 % (2 * whole)),
        twiceWhole_(2 * whole) {}

  // Both without branches: whether a step carries or a value is a half
  // changes from row to row in no pattern a branch predictor could learn.
  constexpr std::int32_t Current() const {
    const bool half = remainder_ == 0;
    return static_cast<std::int32_t>(quotient_ - (std::int64_t{half} & quotient_));
  }

  // The carry taken as a select: the remainder, the one value carried from
  // row to row, waits on an add and a conditional move only.
  constexpr void Advance() {
    const std::int64_t sum = remainder_ + stepRemainder_;
    const std::int64_t wrapped = sum - twiceWhole_;
    quotient_ += stepQuotient_ + std::int64_t{wrapped >= 0};
    remainder_ = wrapped >= 0 ? wrapped : sum;
  }

 private:
  std::int64_t quotient_;
  std::int64_t remainder_;
  std::int64_t stepQuotient_;
  std::int64_t stepRemainder_;
  std::int64_t twiceWhole_;
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
