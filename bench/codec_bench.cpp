// Rates of the run-length coder, both decoders and the row placement next to
// memcpy of the same pixels, on picture-sized inputs. Every rate counts pixel bytes (the decoded
// size), so the ratios to memcpy compare like with like.

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "codec/byte_window.h"
#include "codec/element_walker.h"
#include "codec/rle_decoder.h"
#include "codec/rle_encoder.h"
#include "codec/row_alignment.h"

namespace {

using sprite::Bytes;

constexpr std::int16_t kWidth = 176;
constexpr std::size_t kHeight = 176;  // 30976 pixels: the coded streams stay within 32766 bytes

// The bytes all iterations handled, as Google Benchmark counts them.
void SetBytesProcessed(benchmark::State& state, std::size_t bytesPerIteration) {
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytesPerIteration));
}

// A sprite on a transparent background: every row has a zero margin on both
// sides (so runs join across rows), the figure between them has short
// transparent gaps, and its colours come in short spans of one value and in
// dithered stretches. About 60% of the bytes are zero.
Bytes SpritePixels(std::size_t width, std::size_t height, unsigned seed) {
  std::mt19937 rng(seed);
  auto between = [&rng](std::size_t lo, std::size_t hi) {
    return std::uniform_int_distribution<std::size_t>(lo, hi)(rng);
  };
  Bytes pixels;
  pixels.reserve(width * height);
  for (std::size_t y = 0; y < height; ++y) {
    // The figure is widest in the middle rows.
    const double middle =
        1.0 - std::abs(2.0 * static_cast<double>(y) / static_cast<double>(height) - 1.0);
    const auto figure =
        static_cast<std::size_t>(static_cast<double>(width) * (0.15 + 0.55 * middle)) +
        between(0, 8);
    const std::size_t left = between(0, width - figure);
    pixels.insert(pixels.end(), left, 0);
    for (std::size_t x = 0; x < figure;) {
      std::size_t span = between(1, 24);
      span = std::min(span, figure - x);
      if (between(0, 9) < 2) {
        pixels.insert(pixels.end(), std::min(span, std::size_t{6}), 0);
        x += std::min(span, std::size_t{6});
        continue;
      }
      const auto colour = static_cast<std::uint8_t>(between(1, 255));
      const bool dithered = between(0, 2) == 0;
      for (std::size_t k = 0; k < span; ++k) {
        pixels.push_back(dithered ? static_cast<std::uint8_t>(between(1, 255)) : colour);
      }
      x += span;
    }
    pixels.insert(pixels.end(), width - left - figure, 0);
  }
  return pixels;
}

Bytes NoZeroPixels(std::size_t size) {
  std::mt19937 rng(3);
  Bytes pixels(size);
  for (auto& b : pixels) {
    b = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 255)(rng));
  }
  return pixels;
}

// A host that does what a window's host does cheaply: keeps the bar values and
// counts the yields. Its calls are real virtual calls into this file.
class NullRowsHost : public sprite::codec::RowsHost {
 public:
  void Yield() override { ++yields_; }
  void ElementsDecoded(std::int32_t percent, std::int64_t elements) override {
    firstBar_ = percent;
    yields_ += elements;
  }
  void RowsPlaced(std::span<const std::int32_t> percents) override {
    yields_ += static_cast<std::int64_t>(percents.size());
    secondBar_ = percents.back();
  }

 private:
  std::int64_t yields_ = 0;
  std::int32_t firstBar_ = 0;
  std::int32_t secondBar_ = 0;
};

void Memcpy(benchmark::State& state, const Bytes& pixels) {
  Bytes copy(pixels.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), pixels.data(), pixels.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  SetBytesProcessed(state, pixels.size());
}

void Compress(benchmark::State& state, const Bytes& pixels) {
  Bytes coded;
  for (auto _ : state) {
    sprite::codec::RLECompress2(pixels, coded, kWidth);
    benchmark::DoNotOptimize(coded.data());
  }
  state.counters["coded_bytes"] = static_cast<double>(coded.size());
  SetBytesProcessed(state, pixels.size());
}

void Decompress(benchmark::State& state, const Bytes& pixels) {
  Bytes coded;
  sprite::codec::RLECompress2(pixels, coded, kWidth);
  for (auto _ : state) {
    Bytes out = sprite::codec::RLEDecompress(coded);
    benchmark::DoNotOptimize(out.data());
  }
  SetBytesProcessed(state, pixels.size());
}

void DecompressRows(benchmark::State& state, const Bytes& pixels, std::int16_t width) {
  Bytes coded;
  sprite::codec::RLECompress2(pixels, coded, width);
  NullRowsHost host;
  for (auto _ : state) {
    Bytes area = sprite::codec::RLEDecompressRows(coded, width, host);
    benchmark::DoNotOptimize(area.data());
  }
  SetBytesProcessed(state, pixels.size());
}

// The Encode command's flip check rebuilds the pixel area from stored rows
// with the row decoder's own row placement.
void AddRowAlignment(benchmark::State& state, const Bytes& pixels, std::int16_t width) {
  for (auto _ : state) {
    Bytes area = sprite::codec::AddRowAlignment(pixels, width);
    benchmark::DoNotOptimize(area.data());
  }
  SetBytesProcessed(state, pixels.size());
}

// What any row decoder has to do, each part alone and in its cheapest form:
// the zero-filled area it returns, one read of the coded stream that finds its
// zero bytes, and the literal spans copied out with every element already
// found (into one flat buffer, rows and row ends left aside). None of them
// tells run markers from counts, adds up the runs or reckons a percentage, so
// their times added up are a floor that no complete row decoder goes below.
void FloorArea(benchmark::State& state, const Bytes& pixels, std::int16_t width) {
  const std::size_t rows = (pixels.size() - 1) / static_cast<std::size_t>(width) + 1;
  const std::size_t size =
      pixels.size() + rows * static_cast<std::size_t>(sprite::codec::RowPadding(width));
  for (auto _ : state) {
    Bytes area(size);
    benchmark::DoNotOptimize(area.data());
  }
  SetBytesProcessed(state, pixels.size());
}

void FloorZeroBytes(benchmark::State& state, const Bytes& pixels, std::int16_t width) {
  Bytes coded;
  sprite::codec::RLECompress2(pixels, coded, width);
  using sprite::codec::kWindow;
  std::vector<std::uint64_t> zeros(coded.size() / kWindow);
  for (auto _ : state) {
    for (std::size_t w = 0; w < zeros.size(); ++w) {
      zeros[w] = sprite::codec::ZeroMask(coded.data() + w * kWindow);
    }
    benchmark::DoNotOptimize(zeros.data());
    benchmark::ClobberMemory();
  }
  SetBytesProcessed(state, pixels.size());
}

void FloorSpans(benchmark::State& state, const Bytes& pixels, std::int16_t width) {
  Bytes coded;
  sprite::codec::RLECompress2(pixels, coded, width);
  struct Element {
    std::size_t start, span, run;
  };
  std::vector<Element> elements;
  std::size_t start = 0;
  for (std::size_t i = 0; i < coded.size(); ++i) {
    if (coded[i] == 0) {
      elements.push_back({start, i - start, coded[i + 1]});
      start = ++i + 1;
    }
  }
  elements.push_back({start, coded.size() - start, 0});
  coded.resize(coded.size() + sprite::codec::kWindow);  // room for window loads
  Bytes flat(pixels.size() + sprite::codec::kWindow);
  for (auto _ : state) {
    std::uint8_t* dst = flat.data();
    for (const Element& element : elements) {
      sprite::codec::walk::PutSpan(dst, coded.data() + element.start, element.span);
      dst += element.span + element.run;
    }
    benchmark::DoNotOptimize(flat.data());
    benchmark::ClobberMemory();
  }
  SetBytesProcessed(state, pixels.size());
}

struct Input {
  std::string name;
  Bytes pixels;
  std::int16_t width;
  bool verifiable;  // the coded stream fits RLEDecompress
};

void RegisterAll() {
  static const Input inputs[] = {
      {"sprite", SpritePixels(kWidth, kHeight, 1), kWidth, true},
      {"zeros", Bytes(kWidth * kHeight, 0), kWidth, true},
      {"nozeros", NoZeroPixels(kWidth * kHeight), kWidth, true},
      // A large sheet of sprites: only the row decoder takes its stream.
      {"sprite_sheet", SpritePixels(1024, 1024, 2), 1024, false},
  };
  for (const Input& input : inputs) {
    benchmark::RegisterBenchmark(("memcpy/" + input.name).c_str(), Memcpy, input.pixels);
    benchmark::RegisterBenchmark(("RLECompress2/" + input.name).c_str(), Compress, input.pixels);
    if (input.verifiable) {
      benchmark::RegisterBenchmark(("RLEDecompress/" + input.name).c_str(), Decompress,
                                   input.pixels);
    }
    benchmark::RegisterBenchmark(("RLEDecompressRows/" + input.name).c_str(), DecompressRows,
                                 input.pixels, input.width);
    benchmark::RegisterBenchmark(("AddRowAlignment/" + input.name).c_str(), AddRowAlignment,
                                 input.pixels, input.width);
    benchmark::RegisterBenchmark(("floor_area/" + input.name).c_str(), FloorArea, input.pixels,
                                 input.width);
    benchmark::RegisterBenchmark(("floor_zeros/" + input.name).c_str(), FloorZeroBytes,
                                 input.pixels, input.width);
    benchmark::RegisterBenchmark(("floor_spans/" + input.name).c_str(), FloorSpans, input.pixels,
                                 input.width);
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
