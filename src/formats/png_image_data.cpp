#include "formats/png_image_data.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <new>

namespace sprite::formats {

namespace {

// One decompressor, and one compressor a level, for each thread, made once:
// a compressor holds some hundred kilobytes of tables that would otherwise be
// allocated and cleared for every sprite.
libdeflate_decompressor& Decompressor() {
  thread_local const std::unique_ptr<libdeflate_decompressor,
                                     decltype(&libdeflate_free_decompressor)>
      decompressor(libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
  if (!decompressor) {
    throw std::bad_alloc();
  }
  return *decompressor;
}

libdeflate_compressor& Compressor(int level) {
  using Owned = std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)>;
  thread_local Owned compressor(nullptr, &libdeflate_free_compressor);
  thread_local int compressorLevel = -1;
  if (!compressor || compressorLevel != level) {
    compressor.reset(libdeflate_alloc_compressor(level));
    if (!compressor) {
      throw std::bad_alloc();
    }
    compressorLevel = level;
  }
  return *compressor;
}

// Filter types of the one filter method PNG has.
enum Filter : std::uint8_t { kNone, kSub, kUp, kAverage, kPaeth };

// Undoes `filter` on `row` of `n` bytes; `above` is the row before, undone
// (zeros for the first row); `bpp` bytes back is the pixel to the left.
bool Unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above, std::size_t n,
              std::size_t bpp) {
  switch (filter) {
    case kNone:
      return true;
    case kSub:
      for (std::size_t i = bpp; i < n; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
      }
      return true;
    case kUp:
      for (std::size_t i = 0; i < n; ++i) {
        row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
      }
      return true;
    case kAverage:
      for (std::size_t i = 0; i < n; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        row[i] = static_cast<std::uint8_t>(row[i] + (left + above[i]) / 2);
      }
      return true;
    case kPaeth:
      for (std::size_t i = 0; i < n; ++i) {
        const bool first = i < bpp;
        row[i] =
            static_cast<std::uint8_t>(row[i] + PaethPredictor(first ? 0 : row[i - bpp], above[i],
                                                              first ? 0 : above[i - bpp]));
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

std::optional<Bytes> InflateRows(ByteView zlibStream, std::size_t rowBytes, std::uint32_t height,
                                 std::size_t bytesPerPixel) {
  const std::size_t scanline = 1 + rowBytes;
  Bytes raw(scanline * height);
  // Exactly the picture's bytes, or the stream is not taken whole.
  if (libdeflate_zlib_decompress(&Decompressor(), zlibStream.data(), zlibStream.size(), raw.data(),
                                 raw.size(), nullptr) != LIBDEFLATE_SUCCESS) {
    return std::nullopt;
  }
  // Each row moves down over the filter bytes before it, then is undone
  // against the row above, already in place.
  const Bytes zeros(rowBytes, 0);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t filter = raw[y * scanline];
    std::uint8_t* row = raw.data() + y * rowBytes;
    std::copy(raw.begin() + static_cast<std::ptrdiff_t>(y * scanline + 1),
              raw.begin() + static_cast<std::ptrdiff_t>((y + 1) * scanline), row);
    const std::uint8_t* above = y == 0 ? zeros.data() : row - rowBytes;
    if (!Unfilter(filter, row, above, rowBytes, bytesPerPixel)) {
      return std::nullopt;
    }
  }
  raw.resize(rowBytes * height);
  return raw;
}

Bytes DeflateRows(ByteView rows, std::size_t rowBytes, std::size_t rowCount, int level) {
  const std::size_t scanline = 1 + rowBytes;
  Bytes raw(scanline * rowCount, 0);
  for (std::size_t y = 0; y < rowCount && y * rowBytes < rows.size(); ++y) {
    const std::size_t take = std::min(rowBytes, rows.size() - y * rowBytes);
    std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>(y * rowBytes), take,
                raw.begin() + static_cast<std::ptrdiff_t>(y * scanline + 1));
  }
  libdeflate_compressor& compressor = Compressor(level);
  Bytes out(libdeflate_zlib_compress_bound(&compressor, raw.size()));
  const std::size_t size =
      libdeflate_zlib_compress(&compressor, raw.data(), raw.size(), out.data(), out.size());
  out.resize(size);
  return out;
}

}  // namespace sprite::formats
