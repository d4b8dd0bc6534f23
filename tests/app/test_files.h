#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/utf8_path.h"

namespace sprite::testing {

// A folder of its own for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // UTF-8, with the system's separators ("out/a.bmp" is "out\\a.bmp" on Windows).
  std::string Path(const std::string& name) const {
    return Utf8FromPath((root_ / PathFromUtf8(name)).make_preferred());
  }
  const std::filesystem::path& Root() const { return root_; }
  // Names of the files in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path root_;
};

void WriteFile(const std::string& path, ByteView bytes);
Bytes ReadFile(const std::string& path);

// The fields of a bitmap file, set by hand so that tests can make odd ones.
struct BitmapFields {
  std::int32_t width = 4;
  std::int32_t height = 1;
  std::uint16_t bitsPerPixel = 8;
  std::uint32_t coloursUsed = 256;
  std::uint32_t infoHeaderSize = 40;
  std::uint32_t compression = 0;
  Bytes palette = Bytes(1024, 0);  // bitmap order
  Bytes pixelArea{};  // an initializer of its own, so designated initializers may leave it out
  std::int64_t pixelOffset = -1;  // -1: right after the palette
};

// A bitmap file laid out field by field, independently of the code under test.
Bytes BuildBitmap(const BitmapFields& fields);

// A palette in bitmap order (fourth bytes 0), seeded so that two calls can differ.
Bytes TestPalette(std::uint8_t seed);

// A sprite-like pixel area of whole rows with zero alignment bytes: zero runs
// (transparency) and spans of colour.
Bytes SpritePixelArea(std::mt19937& random, std::int32_t width, std::int32_t rows);

}  // namespace sprite::testing
