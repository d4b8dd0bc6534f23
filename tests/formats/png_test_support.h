// The test PNGs of tests/data/png and the formulas they were made from.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "common/bytes.h"
#include "formats/png_picture.h"

namespace sprite::formats {

inline Bytes ReadTestPng(const std::string& name) {
  std::ifstream in(std::string(SPRITE_TEST_DATA) + "/png/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// As make_pngs.py: every picture is 7 × 5.
inline constexpr std::uint32_t kTestWidth = 7;
inline constexpr std::uint32_t kTestHeight = 5;

inline std::uint32_t V(std::uint32_t x, std::uint32_t y) {
  return x + 3 * y;
}

inline PngColour PaletteColour(std::uint32_t i) {
  return {static_cast<std::uint8_t>(i * 37 % 256), static_cast<std::uint8_t>(i * 91 % 256),
          static_cast<std::uint8_t>((i * 53 + 7) % 256), 255};
}

inline PngColour Rgb(std::uint32_t x, std::uint32_t y) {
  return {static_cast<std::uint8_t>(36 * x), static_cast<std::uint8_t>(60 * y),
          static_cast<std::uint8_t>(11 * x * y % 256), 255};
}

inline std::uint8_t Alpha(std::uint32_t x, std::uint32_t y) {
  return (x + y) % 3 == 0 ? 0 : 255;
}

inline PngColour Grey(std::uint32_t x, std::uint32_t y, std::uint32_t bits) {
  const std::uint32_t levels = (1u << bits) - 1;
  const auto g = static_cast<std::uint8_t>(V(x, y) % (levels + 1) * 255 / levels);
  return {g, g, g, 255};
}

}  // namespace sprite::formats
