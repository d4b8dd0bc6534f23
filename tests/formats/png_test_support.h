// The test PNGs of tests/data/png and the formulas they were made from.
#pragma once

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>

#include "common/bytes.h"
#include "format_test_support.h"
#include "formats/png_picture.h"
#include "formats/png_writer.h"

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

// What IHDR says of a test PNG; width and height below 256.
struct PngShape {
  std::uint8_t colourType = 0, bitDepth = 8;
  std::uint32_t width = 1, height = 1;
  bool interlaced = false;
};

// A PNG of the filtered scanlines `raw`, its image data split over `parts`
// IDAT chunks; an indexed one has a PLTE of 16 entries.
inline Bytes PngOfScanlines(const PngShape& shape, ByteView raw, std::size_t parts = 1,
                            ByteView trns = {}) {
  const auto chunk = [](Bytes& out, const char* type, ByteView data) {
    AppendPngChunk(out,
                   {static_cast<std::uint8_t>(type[0]), static_cast<std::uint8_t>(type[1]),
                    static_cast<std::uint8_t>(type[2]), static_cast<std::uint8_t>(type[3])},
                   data);
  };
  Bytes stream(raw.size() + 64);
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
  stream.resize(
      libdeflate_zlib_compress(compressor, raw.data(), raw.size(), stream.data(), stream.size()));
  libdeflate_free_compressor(compressor);

  Bytes png(kPngSignature.begin(), kPngSignature.end());
  // Width and height below 256, each in the last of its four bytes.
  chunk(png, "IHDR",
        B({0, 0, 0, static_cast<int>(shape.width), 0, 0, 0, static_cast<int>(shape.height),
           shape.bitDepth, shape.colourType, 0, 0, shape.interlaced ? 1 : 0}));
  if (shape.colourType == 3) {
    Bytes plte(16 * 3);
    std::iota(plte.begin(), plte.end(), std::uint8_t{1});
    chunk(png, "PLTE", plte);
  }
  if (!trns.empty()) {
    chunk(png, "tRNS", trns);
  }
  const std::size_t step = stream.size() / parts + 1;
  for (std::size_t at = 0; at < stream.size(); at += step) {
    chunk(png, "IDAT", ByteView(stream).subspan(at, std::min(step, stream.size() - at)));
  }
  chunk(png, "IEND", {});
  return png;
}

}  // namespace sprite::formats
