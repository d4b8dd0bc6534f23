#include "app/test_files.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#include "common/utf8_path.h"

namespace sprite::testing {
namespace {

void Put16(Bytes& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(Bytes& out, std::size_t at, std::uint32_t value) {
  Put16(out, at, value & 0xFFFF);
  Put16(out, at + 2, value >> 16);
}

}  // namespace

TempFolder::TempFolder() {
  // A name nobody else has: create_directory fails on one that exists.
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        std::filesystem::temp_directory_path() / ("sprite-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      root_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::vector<std::string> TempFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(root_)) {
    names.push_back(Utf8FromPath(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

void WriteFile(const std::string& path, ByteView bytes) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path);
  }
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes BuildBitmap(const BitmapFields& fields) {
  const std::size_t paletteAt = 14 + std::max<std::uint32_t>(fields.infoHeaderSize, 40);
  const std::size_t pixelsAt = fields.pixelOffset >= 0
                                   ? static_cast<std::size_t>(fields.pixelOffset)
                                   : paletteAt + fields.palette.size();
  Bytes file(std::max(pixelsAt, paletteAt + fields.palette.size()), 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<std::uint32_t>(pixelsAt + fields.pixelArea.size()));
  Put32(file, 10, static_cast<std::uint32_t>(pixelsAt));
  Put32(file, 14, fields.infoHeaderSize);
  Put32(file, 18, static_cast<std::uint32_t>(fields.width));
  Put32(file, 22, static_cast<std::uint32_t>(fields.height));
  Put16(file, 26, 1);
  Put16(file, 28, fields.bitsPerPixel);
  Put32(file, 30, fields.compression);
  Put32(file, 34, static_cast<std::uint32_t>(fields.pixelArea.size()));
  Put32(file, 46, fields.coloursUsed);
  std::copy(fields.palette.begin(), fields.palette.end(),
            file.begin() + static_cast<long>(paletteAt));
  file.resize(pixelsAt);
  file.insert(file.end(), fields.pixelArea.begin(), fields.pixelArea.end());
  return file;
}

Bytes TestPalette(std::uint8_t seed) {
  Bytes palette(1024);
  for (std::size_t i = 0; i < palette.size(); ++i) {
    // Real bitmaps keep the fourth byte of each entry 0, and so do archives.
    palette[i] = i % 4 == 3 ? 0 : static_cast<std::uint8_t>(i * 7 + seed);
  }
  return palette;
}

Bytes SpritePixelArea(std::mt19937& random, std::int32_t width, std::int32_t rows) {
  const std::int32_t pad = (4 - width % 4) % 4;
  Bytes area;
  std::uniform_int_distribution<int> span(1, 12);
  std::uniform_int_distribution<int> colour(1, 255);
  for (std::int32_t row = 0; row < rows; ++row) {
    std::int32_t x = 0;
    bool transparent = (random() & 1) != 0;
    while (x < width) {
      const std::int32_t length = std::min(span(random), width - x);
      for (std::int32_t i = 0; i < length; ++i) {
        area.push_back(transparent ? 0 : static_cast<std::uint8_t>(colour(random)));
      }
      x += length;
      transparent = !transparent;
    }
    area.insert(area.end(), static_cast<std::size_t>(pad), 0);
  }
  return area;
}

}  // namespace sprite::testing
