#include "colour/oklab.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace sprite::colour {

namespace {

// x^2.4 for x in [0.09, 1] by Newton steps on y^5 = x^2 (so y = x^0.4) from
// above, with + − × ÷ alone, so that the compiler gives the same table on
// every system.
constexpr double Power24(double x) {
  const double square = x * x;
  double y = 1.0;
  for (int step = 0; step < 64; ++step) {
    const double y4 = y * y * y * y;
    y -= (y4 * y - square) / (5.0 * y4);
  }
  return square * y;
}

// The sRGB transfer curve, undone.
constexpr std::array<std::int64_t, 256> MakeLinearTable() {
  std::array<std::int64_t, 256> table{};
  for (int value = 0; value < 256; ++value) {
    const double v = value / 255.0;
    const double linear = v <= 0.04045 ? v / 12.92 : Power24((v + 0.055) / 1.055);
    table[static_cast<std::size_t>(value)] =
        static_cast<std::int64_t>(linear * static_cast<double>(kLinearOne) + 0.5);
  }
  return table;
}
constexpr std::array<std::int64_t, 256> kLinear = MakeLinearTable();

// A coefficient in whole numbers of 2^-bits, rounded to nearest.
constexpr std::int64_t Fixed(double coefficient, int bits) {
  const double scaled = coefficient * static_cast<double>(std::int64_t{1} << bits);
  return static_cast<std::int64_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
}

using Matrix = std::array<std::array<std::int64_t, 3>, 3>;

constexpr Matrix FixedMatrix(const double (&m)[3][3], int bits) {
  Matrix out{};
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t column = 0; column < 3; ++column) {
      out[row][column] = Fixed(m[row][column], bits);
    }
  }
  return out;
}

// Linear sRGB to cone responses, and their cube roots to L, a, b; and back.
constexpr double kToLms[3][3] = {{0.4122214708, 0.5363325363, 0.0514459929},
                                 {0.2119034982, 0.6806995451, 0.1073969566},
                                 {0.0883024619, 0.2817188376, 0.6299787005}};
constexpr double kToLab[3][3] = {{0.2104542553, 0.7936177850, -0.0040720468},
                                 {1.9779984951, -2.4285922050, 0.4505937099},
                                 {0.0259040371, 0.7827717662, -0.8086757660}};
constexpr double kFromLab[3][3] = {{1.0, 0.3963377774, 0.2158037573},
                                   {1.0, -0.1055613458, -0.0638541728},
                                   {1.0, -0.0894841775, -1.2914855480}};
constexpr double kFromLms[3][3] = {{4.0767416621, -3.3077115913, 0.2309699292},
                                   {-1.2684380046, 2.6097574011, -0.3413193965},
                                   {-0.0041960863, -0.7034186147, 1.7076147010}};

// Linear light and cone responses are in 2^-20, their cube roots and Lab in 2^-16.
constexpr int kLinearBits = 20;
constexpr int kLabBits = 16;
constexpr Matrix kToLmsFixed = FixedMatrix(kToLms, kLinearBits);
constexpr Matrix kToLabFixed = FixedMatrix(kToLab, kLabBits);
constexpr Matrix kFromLabFixed = FixedMatrix(kFromLab, kLabBits);
constexpr Matrix kFromLmsFixed = FixedMatrix(kFromLms, kLinearBits);

// Each 8-bit value's share of the three cone responses, for red, green and
// blue: a response is the sum of three shares, rounded, without a product.
using Shares = std::array<std::array<std::array<std::int64_t, 3>, 256>, 3>;
constexpr Shares MakeShares() {
  Shares shares{};
  for (std::size_t channel = 0; channel < 3; ++channel) {
    for (std::size_t value = 0; value < 256; ++value) {
      for (std::size_t row = 0; row < 3; ++row) {
        shares[channel][value][row] = kToLmsFixed[row][channel] * kLinear[value];
      }
    }
  }
  return shares;
}
constexpr Shares kConeShares = MakeShares();

// m × v, rounded to nearest in the scale of v.
std::array<std::int64_t, 3> Times(const Matrix& m, const std::array<std::int64_t, 3>& v, int bits) {
  std::array<std::int64_t, 3> out{};
  for (std::size_t row = 0; row < 3; ++row) {
    const std::int64_t sum = m[row][0] * v[0] + m[row][1] * v[1] + m[row][2] * v[2];
    out[row] = (sum + (std::int64_t{1} << (bits - 1))) >> bits;
  }
  return out;
}

// Entry i: the cube root of response i << `step` (in 2^-20), in 2^-16: the
// largest whole number whose cube is not past it, counting up from the root
// before it on whole-number cubes alone.
template <std::size_t kSize>
constexpr void FillRoots(std::array<std::int32_t, kSize>& roots, int step) {
  std::int64_t root = 0;
  for (std::size_t i = 0; i < kSize; ++i) {
    const std::int64_t scaled = static_cast<std::int64_t>(i << step)
                                << (3 * kLabBits - kLinearBits);
    while ((root + 1) * (root + 1) * (root + 1) <= scaled) {
      ++root;
    }
    roots[i] = static_cast<std::int32_t>(root);
  }
}

// Cube roots of cone responses (in 2^-20) in 2^-16, from a table small
// enough to stay near the processor, made by the compiler: every root below
// 4096, where the curve bends most, and above it every 16th, with the ones
// between interpolated on a straight line, which there strays by less than
// 10^-7.
class ConeRoots {
 public:
  constexpr ConeRoots() {
    FillRoots(exact_, 0);
    FillRoots(knots_, kStepBits);
  }

  // `response` from 0 to kLinearOne + 1.
  std::int64_t Of(std::size_t response) const {
    if (response < kExact) {
      return exact_[response];
    }
    const std::size_t k = response >> kStepBits;
    const auto along = static_cast<std::int64_t>(response & ((1u << kStepBits) - 1));
    return knots_[k] +
           (((knots_[k + 1] - knots_[k]) * along + (1 << (kStepBits - 1))) >> kStepBits);
  }

 private:
  static constexpr std::size_t kExact = 4096;
  static constexpr int kStepBits = 4;
  static constexpr std::size_t kKnots = (kLinearOne >> kStepBits) + 2;

  std::array<std::int32_t, kExact> exact_{};
  std::array<std::int32_t, kKnots> knots_{};
};
constexpr ConeRoots kConeRoots;

// A cone response is a sum of shares, none below 0 and none above white's, so
// it is at least 0 and at most the response of white, which the table covers.
constexpr bool ResponsesFitTheRoots() {
  for (std::size_t row = 0; row < 3; ++row) {
    std::int64_t white = std::int64_t{1} << (kLinearBits - 1);
    for (std::size_t channel = 0; channel < 3; ++channel) {
      for (const auto& share : kConeShares[channel]) {
        if (share[row] < 0 || share[row] > kConeShares[channel][255][row]) {
          return false;
        }
      }
      white += kConeShares[channel][255][row];
    }
    if ((white >> kLinearBits) > kLinearOne + 1) {
      return false;
    }
  }
  return true;
}
static_assert(ResponsesFitTheRoots());

// The 8-bit values whose linear light lies either side of `linear`.
std::array<std::uint8_t, 2> Bracket(std::int64_t linear) {
  const auto above = std::lower_bound(kLinear.begin(), kLinear.end(), linear);
  const auto high =
      static_cast<std::uint8_t>(std::min<std::ptrdiff_t>(above - kLinear.begin(), 255));
  return {static_cast<std::uint8_t>(high == 0 ? 0 : high - 1), high};
}

}  // namespace

std::int64_t LinearLight(std::uint8_t value) {
  return kLinear[value];
}

Lab ToOklab(Rgb colour) {
  const auto& red = kConeShares[0][colour.red];
  const auto& green = kConeShares[1][colour.green];
  const auto& blue = kConeShares[2][colour.blue];
  const auto root = [&](std::size_t row) {
    return kConeRoots.Of(static_cast<std::size_t>(
        (red[row] + green[row] + blue[row] + (std::int64_t{1} << (kLinearBits - 1))) >>
        kLinearBits));
  };
  const std::int64_t l = root(0), m = root(1), s = root(2);
  const auto row = [&](std::size_t r) {
    const std::int64_t sum = kToLabFixed[r][0] * l + kToLabFixed[r][1] * m + kToLabFixed[r][2] * s;
    return static_cast<std::uint32_t>((sum + (std::int64_t{1} << (kLabBits - 1))) >> kLabBits);
  };
  // The result put together in the two words it is returned in: built field
  // by field, it goes through memory as three stores read back as two words,
  // a stall longer than the rest of the conversion.
  const struct {
    std::uint64_t la;
    std::uint32_t b;
  } words{row(0) | std::uint64_t{row(1)} << 32, row(2)};
  Lab lab;
  static_assert(sizeof lab <= sizeof words);
  std::memcpy(static_cast<void*>(&lab), &words, sizeof lab);
  return lab;
}

Rgb NearestRgb(const Lab& lab) {
  const auto roots = Times(kFromLabFixed, {lab.l, lab.a, lab.b}, kLabBits);
  std::array<std::int64_t, 3> lms{};
  for (std::size_t i = 0; i < 3; ++i) {
    // Keeps the cube within 64 bits for any point a caller can make.
    const std::int64_t root = std::clamp<std::int64_t>(roots[i], -(4 << kLabBits), 4 << kLabBits);
    lms[i] = root * root * root >> (3 * kLabBits - kLinearBits);
  }
  const auto linear = Times(kFromLmsFixed, lms, kLinearBits);
  const auto red = Bracket(linear[0]);
  const auto green = Bracket(linear[1]);
  const auto blue = Bracket(linear[2]);
  Rgb best;
  std::int64_t bestDistance = -1;
  // Lower keys first, so that a tie keeps the lower.
  for (const std::uint8_t r : red) {
    for (const std::uint8_t g : green) {
      for (const std::uint8_t b : blue) {
        const Rgb candidate{r, g, b};
        const std::int64_t d = SquaredDistance(ToOklab(candidate), lab);
        if (bestDistance < 0 || d < bestDistance) {
          best = candidate;
          bestDistance = d;
        }
      }
    }
  }
  return best;
}

double Distance(std::int64_t squaredDistance) {
  return std::sqrt(static_cast<double>(squaredDistance)) / kLabOne;
}

}  // namespace sprite::colour
