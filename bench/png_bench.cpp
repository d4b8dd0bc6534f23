// Writing and reading sprites as PNG pictures next to writing and reading the
// same sprites as bitmaps, per sprite: 64 sprites of 32 to 64 pixels a side,
// the size decode --png writes by the thousand.

#include <benchmark/benchmark.h>

#include <random>

#include "codec/row_alignment.h"
#include "formats/bitmap.h"
#include "formats/png_picture.h"
#include "formats/png_writer.h"

namespace {

using sprite::Bytes;
namespace formats = sprite::formats;

struct Sprite {
  std::int16_t width = 0;
  std::int16_t height = 0;
  Bytes rows;  // stored rows
  Bytes area;  // the bitmap's pixel area
};

// A figure on a see-through background: a margin of index 0 around spans of
// one colour and dithered stretches, about half the pixels 0.
std::vector<Sprite> Sprites() {
  std::mt19937 rng(11);
  const auto between = [&rng](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  std::vector<Sprite> sprites(64);
  for (Sprite& s : sprites) {
    s.width = static_cast<std::int16_t>(between(32, 64));
    s.height = static_cast<std::int16_t>(between(32, 64));
    for (int y = 0; y < s.height; ++y) {
      const int left = between(0, s.width / 3);
      const int right = s.width - between(0, s.width / 3);
      for (int x = 0; x < s.width;) {
        const int span = between(1, 8);
        const auto colour = static_cast<std::uint8_t>(between(1, 255));
        const bool dithered = between(0, 3) == 0;
        for (int k = 0; k < span && x < s.width; ++k, ++x) {
          const bool inside = x >= left && x < right;
          s.rows.push_back(!inside    ? 0
                           : dithered ? static_cast<std::uint8_t>(between(1, 255))
                                      : colour);
        }
      }
    }
    s.area = sprite::codec::AddRowAlignment(s.rows, s.width);
  }
  return sprites;
}

const std::vector<Sprite>& TheSprites() {
  static const std::vector<Sprite> sprites = Sprites();
  return sprites;
}

Bytes Palette() {
  Bytes palette(1024);
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = i % 4 == 3 ? 0 : static_cast<std::uint8_t>(i * 13);
  }
  return palette;
}

// Rates count sprites, so that items_per_second compare like with like.
void CountSprites(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(TheSprites().size()));
}

void WriteBitmap(benchmark::State& state) {
  const Bytes palette = Palette();
  for (auto _ : state) {
    for (const Sprite& s : TheSprites()) {
      Bytes file = formats::WriteBitmap(s.width, s.height, palette, s.area);
      benchmark::DoNotOptimize(file.data());
    }
  }
  CountSprites(state);
}

void WritePng(benchmark::State& state) {
  const Bytes palette = Palette();
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const Sprite& s : TheSprites()) {
      Bytes file = formats::WriteEntryPng(s.width, s.height, s.rows, palette);
      bytes += file.size();
      benchmark::DoNotOptimize(file.data());
    }
  }
  state.counters["bytes_per_sprite"] = static_cast<double>(bytes) / 64;
  CountSprites(state);
}

// What Encode does with a bitmap file in memory: headers, palette and pixel
// area, then the stored rows.
void ReadBitmap(benchmark::State& state) {
  std::vector<Bytes> files;
  for (const Sprite& s : TheSprites()) {
    files.push_back(formats::WriteBitmap(s.width, s.height, Palette(), s.area));
  }
  for (auto _ : state) {
    for (const Bytes& file : files) {
      const formats::BitmapHeaders headers = formats::ReadBitmapHeaders(file);
      const formats::AcceptedBitmap bitmap = formats::ReadAcceptedBitmap(file, headers);
      Bytes rows = sprite::codec::StripRowAlignment(bitmap.pixelArea, headers.width);
      benchmark::DoNotOptimize(rows.data());
    }
  }
  CountSprites(state);
}

void ReadPng(benchmark::State& state) {
  std::vector<Bytes> files;
  for (const Sprite& s : TheSprites()) {
    files.push_back(formats::WriteEntryPng(s.width, s.height, s.rows, Palette()));
  }
  for (auto _ : state) {
    for (const Bytes& file : files) {
      formats::PngPicture picture = formats::ReadPng(file);
      formats::EntryRows entry =
          formats::EntryOfPicture(picture.height, std::move(picture.pixels), picture.entryShape);
      benchmark::DoNotOptimize(entry.storedRows.data());
    }
  }
  CountSprites(state);
}

BENCHMARK(WriteBitmap);
BENCHMARK(WritePng);
BENCHMARK(ReadBitmap);
BENCHMARK(ReadPng);

}  // namespace

BENCHMARK_MAIN();
