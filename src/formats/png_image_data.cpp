#include "formats/png_image_data.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "formats/png_chunks.h"

namespace sprite::formats {

namespace {

// Decompressors and compressors made once and lent to whichever thread codes
// a picture: a compressor holds some hundred kilobytes of tables that would
// otherwise be allocated and cleared for every sprite. They are not kept in
// thread_local objects: with the emulated thread-local storage of the Windows
// build, such an object's destructor ran on freed memory when a run's second
// thread ended, and the window crashed after a Decode to PNG pictures.
// A pool holds no more codecs than threads ever coded at once.
template <typename Codec>
class CodecPool {
 public:
  explicit CodecPool(void (*free)(Codec*)) : free_(free) {}
  ~CodecPool() {
    for (const auto& [key, codec] : idle_) {
      free_(codec);
    }
  }
  CodecPool(const CodecPool&) = delete;
  CodecPool& operator=(const CodecPool&) = delete;

  // A codec made for `key` (a compression level), lent until the lease ends.
  class Lease {
   public:
    Lease(CodecPool& pool, int key, Codec* (*make)(int)) : pool_(pool), key_(key) {
      codec_ = pool_.Take(key_);
      if (codec_ == nullptr && (codec_ = make(key_)) == nullptr) {
        throw std::bad_alloc();
      }
    }
    ~Lease() { pool_.Give(key_, codec_); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    Codec* get() const { return codec_; }

   private:
    CodecPool& pool_;
    int key_;
    Codec* codec_;
  };

 private:
  Codec* Take(int key) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto idle = std::find_if(idle_.begin(), idle_.end(),
                                   [key](const auto& entry) { return entry.first == key; });
    if (idle == idle_.end()) {
      return nullptr;
    }
    Codec* codec = idle->second;
    idle_.erase(idle);
    return codec;
  }
  void Give(int key, Codec* codec) {
    const std::lock_guard<std::mutex> lock(mutex_);
    idle_.emplace_back(key, codec);
  }

  void (*free_)(Codec*);
  std::mutex mutex_;
  std::vector<std::pair<int, Codec*>> idle_;
};

CodecPool<libdeflate_decompressor>::Lease Decompressor() {
  static CodecPool<libdeflate_decompressor> pool(&libdeflate_free_decompressor);
  return {pool, 0, [](int) { return libdeflate_alloc_decompressor(); }};
}

CodecPool<libdeflate_compressor>::Lease Compressor(int level) {
  static CodecPool<libdeflate_compressor> pool(&libdeflate_free_compressor);
  return {pool, level, &libdeflate_alloc_compressor};
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

// PNG's colour types.
constexpr std::uint8_t kGrey = 0;
constexpr std::uint8_t kTruecolour = 2;
constexpr std::uint8_t kIndexed = 3;
constexpr std::uint8_t kGreyAlpha = 4;
constexpr std::uint8_t kTruecolourAlpha = 6;

std::size_t RowBytes(const PngImageLayout& layout) {
  return (std::size_t{layout.width} * static_cast<std::size_t>(SamplesPerPixel(layout.colourType)) *
              layout.bitDepth +
          7) /
         8;
}

// 8-bit samples of `samples` a pixel widened to RGBA8: grey to its three
// colours, a missing alpha 255, or 0 where the pixel is `key`'s colour.
Bytes WidenToRgba(Bytes rows, std::uint32_t width, std::uint32_t height, std::uint8_t colourType,
                  const std::optional<PngColourKey>& key) {
  const std::size_t count = std::size_t{width} * height;
  if (colourType == kTruecolourAlpha) {
    return rows;
  }
  Bytes rgba(4 * count);
  std::uint8_t* out = rgba.data();
  const std::uint8_t* in = rows.data();
  switch (colourType) {
    case kGrey:
      for (std::size_t i = 0; i < count; ++i, out += 4) {
        out[0] = out[1] = out[2] = in[i];
        // The grey key is compared whole: one past 255 matches no 8-bit sample.
        out[3] = key && key->grey == in[i] ? 0 : 255;
      }
      break;
    case kGreyAlpha:
      for (std::size_t i = 0; i < count; ++i, out += 4, in += 2) {
        out[0] = out[1] = out[2] = in[0];
        out[3] = in[1];
      }
      break;
    default: {  // truecolour; the colour key is taken in its low 8 bits
      const std::uint8_t low[3] = {static_cast<std::uint8_t>(key ? key->red : 0),
                                   static_cast<std::uint8_t>(key ? key->green : 0),
                                   static_cast<std::uint8_t>(key ? key->blue : 0)};
      for (std::size_t i = 0; i < count; ++i, out += 4, in += 3) {
        std::copy_n(in, 3, out);
        out[3] = key && std::equal(in, in + 3, low) ? 0 : 255;
      }
      break;
    }
  }
  return rgba;
}

}  // namespace

int SamplesPerPixel(std::uint8_t colourType) {
  switch (colourType) {
    case kTruecolour:
      return 3;
    case kGreyAlpha:
      return 2;
    case kTruecolourAlpha:
      return 4;
    default:
      return 1;
  }
}

std::optional<Bytes> DecodeWholeImage(ByteView chunks, const PngImageLayout& layout,
                                      const std::optional<PngColourKey>& key) {
  const bool indexed = layout.colourType == kIndexed;
  if (layout.interlaced || (!indexed && layout.bitDepth != 8)) {
    return std::nullopt;
  }
  // One chunk's data is the stream as it lies; the data of several are joined.
  const auto dataAt = [&](std::size_t offset) {
    return chunks.subspan(offset + 8, BigEndian32(chunks.data() + offset));
  };
  ByteView stream = dataAt(0);
  Bytes joined;
  if (kChunkFrame + stream.size() < chunks.size()) {
    for (std::size_t at = 0; at < chunks.size(); at += kChunkFrame + stream.size()) {
      stream = dataAt(at);
      joined.insert(joined.end(), stream.begin(), stream.end());
    }
    stream = joined;
  }
  const std::size_t bytesPerPixel = std::max<std::size_t>(
      1, static_cast<std::size_t>(SamplesPerPixel(layout.colourType)) * layout.bitDepth / 8);
  std::optional<Bytes> rows = InflateRows(stream, RowBytes(layout), layout.height, bytesPerPixel);
  if (!rows || indexed) {
    return rows;
  }
  return WidenToRgba(std::move(*rows), layout.width, layout.height, layout.colourType, key);
}

std::optional<Bytes> InflateRows(ByteView zlibStream, std::size_t rowBytes, std::uint32_t height,
                                 std::size_t bytesPerPixel) {
  const std::size_t scanline = 1 + rowBytes;
  Bytes raw(scanline * height);
  // Exactly the picture's bytes, or the stream is not taken whole.
  const auto decompressor = Decompressor();
  if (libdeflate_zlib_decompress(decompressor.get(), zlibStream.data(), zlibStream.size(),
                                 raw.data(), raw.size(), nullptr) != LIBDEFLATE_SUCCESS) {
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
  const auto compressor = Compressor(level);
  Bytes out(libdeflate_zlib_compress_bound(compressor.get(), raw.size()));
  const std::size_t size =
      libdeflate_zlib_compress(compressor.get(), raw.data(), raw.size(), out.data(), out.size());
  out.resize(size);
  return out;
}

}  // namespace sprite::formats
