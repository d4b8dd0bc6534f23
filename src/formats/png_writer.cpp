#include "formats/png_writer.h"

#include <libdeflate.h>
#include <spng.h>

#include <algorithm>
#include <string>

#include "codec/picture_width.h"
#include "common/error.h"
#include "formats/png_chunks.h"
#include "formats/png_image_data.h"
#include "formats/stored_picture.h"

namespace sprite::formats {

namespace {

std::string Text(std::uint64_t value) {
  return std::to_string(value);
}

void AppendBigEndian(Bytes& out, std::uint32_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

}  // namespace

void AppendPngChunk(Bytes& out, const PngChunkType& type, ByteView data) {
  AppendBigEndian(out, static_cast<std::uint32_t>(data.size()), 4);
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  AppendBigEndian(out, libdeflate_crc32(0, out.data() + start, out.size() - start), 4);
}

Bytes IndexedPngHead(std::uint32_t width, std::uint32_t height, ByteView palette,
                     const PngWriteOptions& options, const std::optional<EntryShape>& shape) {
  if (width == 0 || height == 0 || width > kMaxPngNumber || height > kMaxPngNumber) {
    throw InvalidArgumentError("a PNG picture of " + Text(width) + " × " + Text(height) +
                               " pixels cannot be written");
  }
  if (palette.size() != 1024) {
    throw InvalidArgumentError("a palette is 1024 bytes, not " + Text(palette.size()));
  }
  Bytes out(kPngSignature.begin(), kPngSignature.end());
  Bytes header;
  AppendBigEndian(header, width, 4);
  AppendBigEndian(header, height, 4);
  header.insert(header.end(), {8, SPNG_COLOR_TYPE_INDEXED, 0, 0, SPNG_INTERLACE_NONE});
  AppendPngChunk(out, ChunkType("IHDR"), header);
  Bytes plte(3 * 256);
  for (std::size_t i = 0; i < 256; ++i) {
    std::copy_n(palette.begin() + static_cast<std::ptrdiff_t>(4 * i), 3,
                plte.begin() + static_cast<std::ptrdiff_t>(3 * i));
  }
  AppendPngChunk(out, ChunkType("PLTE"), plte);
  if (options.seeThroughIndex0) {
    AppendPngChunk(out, ChunkType("tRNS"), Bytes{0});
  }
  if (shape) {
    Bytes shapeData;
    AppendBigEndian(shapeData, static_cast<std::uint16_t>(shape->heightField), 2);
    AppendBigEndian(shapeData, shape->storedLength, 4);
    AppendPngChunk(out, kEntryShapeChunk, shapeData);
  }
  return out;
}

Bytes WriteIndexedPng(std::uint32_t width, std::uint32_t height, ByteView pixels, ByteView palette,
                      const PngWriteOptions& options, const std::optional<EntryShape>& shape) {
  Bytes out = IndexedPngHead(width, height, palette, options, shape);
  const std::uint64_t area = std::uint64_t{width} * height;
  if (pixels.size() > area) {
    throw InvalidArgumentError(Text(pixels.size()) + " pixels do not fit a picture of " +
                               Text(width) + " × " + Text(height));
  }
  const Bytes imageData = DeflateRows(pixels, width, height, options.zlibLevel);
  out.reserve(out.size() + imageData.size() + 24);
  AppendPngChunk(out, ChunkType("IDAT"), imageData);
  AppendPngChunk(out, ChunkType("IEND"), {});
  return out;
}

Bytes WriteEntryPng(std::int32_t width, std::int16_t heightField, ByteView storedRows,
                    ByteView palette, const PngWriteOptions& options) {
  codec::CheckWidth(width);
  const auto w = static_cast<std::uint64_t>(width);
  const std::uint64_t rows = std::max<std::uint64_t>(1, (storedRows.size() + w - 1) / w);
  std::optional<EntryShape> shape;
  if (storedRows.size() != rows * w || heightField != static_cast<std::int64_t>(rows)) {
    shape = EntryShape{heightField, static_cast<std::uint32_t>(storedRows.size())};
  }
  // A top-down bitmap's entry keeps its bottom row first; the picture shows the top first.
  Bytes turned;
  if (heightField < 0) {
    turned.assign(storedRows.begin(), storedRows.end());
    turned.resize(rows * w, 0);
    TurnStoredRows(heightField, static_cast<std::uint32_t>(width), turned);
    storedRows = turned;
  }
  return WriteIndexedPng(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(rows),
                         storedRows, palette, options, shape);
}

}  // namespace sprite::formats
