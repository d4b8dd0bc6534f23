// OKLab, the perceptual colour space nearest colours are chosen in, from
// 8-bit sRGB and back, in whole numbers.
//
// Every step is integer arithmetic on two tables, both made by the compiler:
// the 256 linear-light values, with + − × ÷ alone (exactly rounded
// everywhere), and cube roots settled on whole-number cubes. So the same
// colour gives the same OKLab value, and the same palette index, with any C
// runtime and whatever floating-point code the compiler chooses. Distance()
// gives a floating-point value, only to report.
#pragma once

#include <cstdint>

namespace sprite::colour {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Red, green and blue in one word, red highest: distinct colours, distinct keys.
constexpr std::uint32_t KeyOf(Rgb c) {
  return std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
}
constexpr Rgb RgbOfKey(std::uint32_t key) {
  return {static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 8),
          static_cast<std::uint8_t>(key)};
}

// One OKLab unit (L of white) in Lab's whole numbers.
inline constexpr std::int32_t kLabOne = 1 << 16;

struct Lab {
  std::int32_t l = 0;
  std::int32_t a = 0;
  std::int32_t b = 0;
  friend bool operator==(const Lab&, const Lab&) = default;
};

// Linear light of an 8-bit sRGB value, 0 to kLinearOne.
inline constexpr std::int64_t kLinearOne = 1 << 20;
std::int64_t LinearLight(std::uint8_t value);

Lab ToOklab(Rgb colour);

// The box that holds the OKLab value of every 8-bit sRGB colour.
inline constexpr Lab kSrgbLow = {0, -15335, -20420};
inline constexpr Lab kSrgbHigh = {kLabOne, 18108, 13015};

// The 8-bit sRGB colour whose OKLab value is nearest `lab` (ties to the lower
// key); a point outside the sRGB colours gives the nearest colour inside.
Rgb NearestRgb(const Lab& lab);

inline std::int64_t SquaredDistance(const Lab& p, const Lab& q) {
  const std::int64_t dl = p.l - q.l;
  const std::int64_t da = p.a - q.a;
  const std::int64_t db = p.b - q.b;
  return dl * dl + da * da + db * db;
}

// A squared distance in OKLab units (white is 1 from black), for reports.
double Distance(std::int64_t squaredDistance);

}  // namespace sprite::colour
