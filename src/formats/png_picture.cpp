#include "formats/png_picture.h"

#include <spng.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "codec/picture_width.h"
#include "common/error.h"
#include "formats/entry_limits.h"

namespace sprite::formats {

namespace {

constexpr std::size_t kChunkFrame = 12;              // length, type, CRC
constexpr std::uint32_t kMaxPngNumber = 0x7FFFFFFF;  // chunk lengths, widths and heights
constexpr std::size_t kIhdrLength = 13;
// Deflate turns at most 1032 bytes into 1 (258-byte matches coded in 2 bits);
// image data claiming more pixel bytes than that is cut off, and is refused
// before anything is allocated for it.
constexpr std::uint64_t kMaxInflateRatio = 1032;

std::string Text(std::uint64_t value) {
  return std::to_string(value);
}

// The file's bytes are damaged: `what` says what and where, `offset` the chunk's.
[[noreturn]] void Damaged(std::string what, std::optional<std::uint64_t> offset = std::nullopt) {
  throw FaultError({.kind = FaultKind::kDamagedPng, .offset = offset, .text = std::move(what)});
}

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

void AppendBigEndian(Bytes& out, std::uint32_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  static const auto kTable = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) {
        c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      }
      table[n] = c;
    }
    return table;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc = kTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFu;
}

std::string ChunkName(const std::uint8_t* type) {
  std::string name;
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<char>(type[i]);
    name += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return name;
}

bool IsCritical(const std::uint8_t* type) {
  return (type[0] & 0x20) == 0;
}

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t bitDepth = 0;
  std::uint8_t colourType = 0;
  std::uint64_t imageDataBytes = 0;  // all IDAT chunks together
};

int SamplesPerPixel(std::uint8_t colourType) {
  switch (colourType) {
    case SPNG_COLOR_TYPE_TRUECOLOR:
      return 3;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
      return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
      return 4;
    default:
      return 1;
  }
}

// Walks the chunks before the decoder does, so that a cut-off file or a
// damaged header or palette is named with its offset, and so that nothing is
// allocated for a picture its image data cannot hold. The decoder checks the
// CRCs of the image data; when it finds a fault, a walk with `checkCrc`
// names the damaged chunk if there is one.
void WalkChunks(ByteView file, const PngLimits& limits, bool checkCrc) {
  if (!IsPng(file)) {
    throw FaultError({.kind = FaultKind::kNotAPng});
  }
  Header header;
  bool sawHeader = false;
  bool sawImageData = false;
  std::size_t offset = kPngSignature.size();
  while (true) {
    if (file.size() - offset < 8) {
      Damaged("the file is cut off at byte " + Text(file.size()) +
              ": it ends before its IEND chunk");
    }
    const std::uint8_t* at = file.data() + offset;
    const std::uint32_t length = BigEndian32(at);
    const std::uint8_t* type = at + 4;
    const std::string where = "chunk " + ChunkName(type) + " at offset " + Text(offset);
    if (length > kMaxPngNumber) {
      Damaged(where + " has a length of " + Text(length) + ", more than PNG allows", offset);
    }
    if (file.size() - offset - 8 < std::uint64_t{length} + 4) {
      Damaged(where + " (" + Text(length) + " bytes) runs past the end of the file (" +
                  Text(file.size()) + " bytes): the file is cut off",
              offset);
    }
    const std::uint32_t stored = BigEndian32(at + 8 + length);
    const bool isImageData = std::memcmp(type, "IDAT", 4) == 0;
    if ((checkCrc || !isImageData) && IsCritical(type) &&
        Crc32(type, 4 + std::size_t{length}) != stored) {
      Damaged(where + " is damaged: its CRC does not match its data", offset);
    }
    const bool isHeader = std::memcmp(type, "IHDR", 4) == 0;
    if (!sawHeader && !isHeader) {
      Damaged(where + " comes first; a PNG starts with its IHDR chunk", offset);
    }
    if (isHeader && !sawHeader) {
      if (length != kIhdrLength) {
        Damaged(where + " is " + Text(length) + " bytes long, not 13", offset);
      }
      header.width = BigEndian32(at + 8);
      header.height = BigEndian32(at + 12);
      header.bitDepth = at[16];
      header.colourType = at[17];
      sawHeader = true;
    } else if (isImageData) {
      sawImageData = true;
      header.imageDataBytes += length;
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      break;
    }
    offset += kChunkFrame + length;
  }
  if (!sawImageData) {
    Damaged("it has no image data (no IDAT chunk)");
  }
  if (header.width == 0 || header.height == 0) {
    Damaged("the IHDR chunk gives a size of " + Text(header.width) + " × " + Text(header.height) +
            " pixels; a picture needs at least 1 × 1");
  }
  if (header.width > limits.maxWidth || header.height > limits.maxHeight ||
      std::uint64_t{header.width} * header.height > limits.maxPixels) {
    throw FaultError({.kind = FaultKind::kPngTooLarge,
                      .value = header.width,
                      .bound = header.height,
                      .text = "the " + Text(limits.maxPixels) + " pixels (at most " +
                              Text(limits.maxWidth) + " wide and " + Text(limits.maxHeight) +
                              " high) a PNG may have here"});
  }
  const std::uint64_t pixelBits = std::uint64_t{header.width} * header.height *
                                  static_cast<std::uint64_t>(SamplesPerPixel(header.colourType)) *
                                  header.bitDepth;
  if (pixelBits / 8 > header.imageDataBytes * kMaxInflateRatio + 1024) {
    Damaged("its image data (" + Text(header.imageDataBytes) +
            " bytes) is far too short for a picture of " + Text(header.width) + " × " +
            Text(header.height) + " pixels: the file is cut off or damaged");
  }
}

std::string SpngReason(int code) {
  switch (code) {
    case SPNG_EIDAT_TOO_SHORT:
      return "its image data ends before the picture is complete";
    case SPNG_EIDAT_STREAM:
    case SPNG_EZLIB:
      return "its compressed image data is damaged";
    case SPNG_EFILTER:
      return "a row of its image data has an unknown filter type";
    case SPNG_ECHUNK_LIMITS:
    case SPNG_EMEM:
      return "an ancillary chunk is larger than a picture's chunks may be here";
    case SPNG_ENOPLTE:
      return "it is an indexed picture without a palette (no PLTE chunk)";
    default:
      return spng_strerror(code);
  }
}

using Context = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

Context NewContext(int flags) {
  Context context(spng_ctx_new(flags), &spng_ctx_free);
  if (!context) {
    throw std::bad_alloc();
  }
  return context;
}

// A damaged chunk is the likely cause of any fault the decoder finds, and the
// clearest to report.
void CheckRead(int code, ByteView file, const PngLimits& limits) {
  if (code != 0) {
    WalkChunks(file, limits, true);
    Damaged("the PNG cannot be read: " + SpngReason(code));
  }
}

// Indexes of `bitDepth` bits, packed high bits first, one byte each.
Bytes UnpackIndexes(const Bytes& packed, std::uint32_t width, std::uint32_t height,
                    std::uint8_t bitDepth) {
  if (bitDepth == 8) {
    return packed;
  }
  const std::size_t rowBytes = (std::size_t{width} * bitDepth + 7) / 8;
  const unsigned mask = (1u << bitDepth) - 1;
  Bytes indexes(std::size_t{width} * height);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* row = packed.data() + y * rowBytes;
    std::uint8_t* out = indexes.data() + y * width;
    for (std::size_t x = 0; x < width; ++x) {
      const std::size_t bit = x * bitDepth;
      const unsigned shift = 8 - bitDepth - static_cast<unsigned>(bit % 8);
      out[x] = static_cast<std::uint8_t>((row[bit / 8] >> shift) & mask);
    }
  }
  return indexes;
}

std::optional<EntryShape> ReadEntryShape(spng_ctx* context, std::uint32_t width,
                                         std::uint32_t height) {
  std::uint32_t count = 0;
  if (spng_get_unknown_chunks(context, nullptr, &count) != 0 || count == 0) {
    return std::nullopt;
  }
  std::vector<spng_unknown_chunk> chunks(count);
  if (spng_get_unknown_chunks(context, chunks.data(), &count) != 0) {
    return std::nullopt;
  }
  for (const spng_unknown_chunk& chunk : chunks) {
    if (std::memcmp(chunk.type, kEntryShapeChunk.data(), 4) != 0 || chunk.length != 6) {
      continue;
    }
    const auto* data = static_cast<const std::uint8_t*>(chunk.data);
    EntryShape shape;
    shape.heightField = static_cast<std::int16_t>(data[0] << 8 | data[1]);
    shape.storedLength = BigEndian32(data + 2);
    // A picture edited to another size no longer matches what the chunk says of it.
    const std::uint64_t area = std::uint64_t{width} * height;
    const bool fits = shape.storedLength == 0
                          ? height == 1
                          : shape.storedLength <= area && shape.storedLength > area - width;
    return fits ? std::optional(shape) : std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

bool IsPng(ByteView fileStart) {
  return fileStart.size() >= kPngSignature.size() &&
         std::equal(kPngSignature.begin(), kPngSignature.end(), fileStart.begin());
}

PngColour PngPicture::At(std::uint32_t x, std::uint32_t y) const {
  const std::size_t i = std::size_t{y} * width + x;
  if (form == PngForm::kIndexed) {
    return palette[pixels[i]];
  }
  const std::uint8_t* p = pixels.data() + 4 * i;
  return {p[0], p[1], p[2], p[3]};
}

std::optional<PngColours> ReadPngColours(ByteView fileStart) {
  if (!IsPng(fileStart)) {
    throw FaultError({.kind = FaultKind::kNotAPng});
  }
  PngColours colours;
  std::optional<std::uint8_t> bitDepth;
  Bytes alphas;
  std::size_t offset = kPngSignature.size();
  while (fileStart.size() - offset >= 8) {
    const std::uint8_t* at = fileStart.data() + offset;
    const std::uint32_t length = BigEndian32(at);
    const std::uint8_t* type = at + 4;
    const std::string where = "chunk " + ChunkName(type) + " at offset " + Text(offset);
    if (std::memcmp(type, "IDAT", 4) == 0) {
      if (!bitDepth) {
        Damaged(where + " comes first; a PNG starts with its IHDR chunk", offset);
      }
      if (colours.form == PngForm::kIndexed && colours.palette.empty()) {
        Damaged("it is an indexed picture without a palette (no PLTE chunk)");
      }
      for (std::size_t i = 0; i < std::min(alphas.size(), colours.palette.size()); ++i) {
        colours.palette[i].alpha = alphas[i];
      }
      return colours;
    }
    if (length > kMaxPngNumber) {
      Damaged(where + " has a length of " + Text(length) + ", more than PNG allows", offset);
    }
    if (fileStart.size() - offset - 8 < std::uint64_t{length} + 4) {
      return std::nullopt;
    }
    const std::uint8_t* data = at + 8;
    const bool isHeader = std::memcmp(type, "IHDR", 4) == 0;
    const bool isPalette = std::memcmp(type, "PLTE", 4) == 0;
    const bool isAlpha = std::memcmp(type, "tRNS", 4) == 0;
    if ((isHeader || isPalette || isAlpha) &&
        Crc32(type, 4 + std::size_t{length}) != BigEndian32(data + length)) {
      if (isAlpha) {
        // ReadPng drops a damaged ancillary chunk, so the picture reads opaque.
        offset += kChunkFrame + length;
        continue;
      }
      Damaged(where + " is damaged: its CRC does not match its data", offset);
    }
    if (!bitDepth && !isHeader) {
      Damaged(where + " comes first; a PNG starts with its IHDR chunk", offset);
    }
    if (isHeader && !bitDepth) {
      if (length != kIhdrLength) {
        Damaged(where + " is " + Text(length) + " bytes long, not 13", offset);
      }
      bitDepth = data[8];
      if (data[9] != SPNG_COLOR_TYPE_INDEXED) {
        return colours;  // every other colour type reads as RGBA8
      }
      colours.form = PngForm::kIndexed;
    } else if (isPalette) {
      if (length == 0 || length % 3 != 0 || length / 3 > (1u << std::min<int>(*bitDepth, 8))) {
        Damaged(where + " holds " + Text(length) + " bytes, not 1 to " +
                    Text(1u << std::min<int>(*bitDepth, 8)) + " entries of 3",
                offset);
      }
      colours.palette.clear();
      for (std::uint32_t i = 0; i < length; i += 3) {
        colours.palette.push_back({data[i], data[i + 1], data[i + 2], 255});
      }
    } else if (isAlpha) {
      alphas.assign(data, data + length);
    }
    offset += kChunkFrame + length;
  }
  return std::nullopt;
}

PngPicture ReadPng(ByteView file, const PngLimits& limits) {
  WalkChunks(file, limits, false);
  const auto check = [&](int code) { CheckRead(code, file, limits); };
  Context context = NewContext(0);
  spng_ctx* ctx = context.get();
  check(spng_set_png_buffer(ctx, file.data(), file.size()));
  check(spng_set_image_limits(ctx, limits.maxWidth, limits.maxHeight));
  check(spng_set_chunk_limits(ctx, limits.maxChunkBytes, limits.maxChunkCacheBytes));
  check(spng_set_option(ctx, SPNG_KEEP_UNKNOWN_CHUNKS, 1));
  spng_ihdr ihdr{};
  check(spng_get_ihdr(ctx, &ihdr));

  PngPicture picture;
  picture.width = ihdr.width;
  picture.height = ihdr.height;
  const bool indexed = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
  picture.form = indexed ? PngForm::kIndexed : PngForm::kRgba8;
  const int format = indexed ? SPNG_FMT_PNG : SPNG_FMT_RGBA8;
  std::size_t size = 0;
  check(spng_decoded_image_size(ctx, format, &size));
  Bytes decoded(size);
  check(spng_decode_image(ctx, decoded.data(), decoded.size(), format,
                          indexed ? 0 : SPNG_DECODE_TRNS));

  if (indexed) {
    spng_plte plte{};
    check(spng_get_plte(ctx, &plte));
    spng_trns trns{};
    const bool hasTrns = spng_get_trns(ctx, &trns) == 0;
    for (std::uint32_t i = 0; i < plte.n_entries; ++i) {
      const spng_plte_entry& e = plte.entries[i];
      const std::uint8_t alpha = hasTrns && i < trns.n_type3_entries ? trns.type3_alpha[i] : 255;
      picture.palette.push_back({e.red, e.green, e.blue, alpha});
    }
    picture.pixels = UnpackIndexes(decoded, ihdr.width, ihdr.height, ihdr.bit_depth);
    const auto past = std::ranges::find_if(
        picture.pixels, [&](std::uint8_t index) { return index >= picture.palette.size(); });
    if (past != picture.pixels.end()) {
      const auto i = static_cast<std::size_t>(past - picture.pixels.begin());
      Damaged("pixel (" + Text(i % ihdr.width) + ", " + Text(i / ihdr.width) +
              ") uses palette index " + Text(*past) + ", past the " + Text(picture.palette.size()) +
              " entries of its PLTE chunk");
    }
  } else {
    picture.pixels = std::move(decoded);
  }
  picture.entryShape = ReadEntryShape(ctx, ihdr.width, ihdr.height);
  return picture;
}

namespace {

// zlib's Z_RLE strategy: matches only at distance 1, runs of one index, which
// is what sprites are made of (see-through margins, spans of one colour). It
// codes them smaller than the default strategy at level 6 and in half the
// time, and needs only the smallest window and a small hash memory.
constexpr int kZlibRunLengthStrategy = 3;
constexpr int kSmallestWindowBits = 9;
constexpr int kWriteMemoryLevel = 5;

int WriteToBytes(spng_ctx*, void* user, void* data, std::size_t length) {
  auto* out = static_cast<Bytes*>(user);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + length);
  return 0;
}

void CheckWrite(int code) {
  if (code != 0 && code != SPNG_EOI) {
    throw FaultError({.kind = FaultKind::kUnexpected,
                      .text = std::string("the PNG cannot be written: ") + spng_strerror(code)});
  }
}

}  // namespace

Bytes WriteIndexedPng(std::uint32_t width, std::uint32_t height, ByteView pixels, ByteView palette,
                      const PngWriteOptions& options, const std::optional<EntryShape>& shape) {
  if (width == 0 || height == 0 || width > kMaxPngNumber || height > kMaxPngNumber) {
    throw InvalidArgumentError("a PNG picture of " + Text(width) + " × " + Text(height) +
                               " pixels cannot be written");
  }
  if (palette.size() != 1024) {
    throw InvalidArgumentError("a palette is 1024 bytes, not " + Text(palette.size()));
  }
  const std::uint64_t area = std::uint64_t{width} * height;
  if (pixels.size() > area) {
    throw InvalidArgumentError(Text(pixels.size()) + " pixels do not fit a picture of " +
                               Text(width) + " × " + Text(height));
  }
  Context context = NewContext(SPNG_CTX_ENCODER);
  spng_ctx* ctx = context.get();
  Bytes out;
  out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(area / 2, 1u << 20)) + 1200);
  CheckWrite(spng_set_png_stream(ctx, &WriteToBytes, &out));
  spng_ihdr ihdr{width, height, 8, SPNG_COLOR_TYPE_INDEXED, 0, 0, SPNG_INTERLACE_NONE};
  CheckWrite(spng_set_ihdr(ctx, &ihdr));
  spng_plte plte{};
  plte.n_entries = 256;
  for (std::size_t i = 0; i < 256; ++i) {
    plte.entries[i] = {palette[4 * i], palette[4 * i + 1], palette[4 * i + 2], 255};
  }
  CheckWrite(spng_set_plte(ctx, &plte));
  if (options.seeThroughIndex0) {
    spng_trns trns{};
    trns.n_type3_entries = 1;
    trns.type3_alpha[0] = 0;
    CheckWrite(spng_set_trns(ctx, &trns));
  }
  Bytes shapeData;
  spng_unknown_chunk shapeChunk{};
  if (shape) {
    AppendBigEndian(shapeData, static_cast<std::uint16_t>(shape->heightField), 2);
    AppendBigEndian(shapeData, shape->storedLength, 4);
    std::copy(kEntryShapeChunk.begin(), kEntryShapeChunk.end(), shapeChunk.type);
    shapeChunk.length = shapeData.size();
    shapeChunk.data = shapeData.data();
    shapeChunk.location = SPNG_AFTER_PLTE;
    CheckWrite(spng_set_unknown_chunks(ctx, &shapeChunk, 1));
  }
  CheckWrite(spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, options.zlibLevel));
  CheckWrite(spng_set_option(ctx, SPNG_IMG_COMPRESSION_STRATEGY, kZlibRunLengthStrategy));
  CheckWrite(spng_set_option(ctx, SPNG_IMG_WINDOW_BITS, kSmallestWindowBits));
  CheckWrite(spng_set_option(ctx, SPNG_IMG_MEM_LEVEL, kWriteMemoryLevel));
  // Filters only spread a palette picture's runs.
  CheckWrite(spng_set_option(ctx, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_NONE));
  CheckWrite(spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG,
                               SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE));
  // Whole rows straight from `pixels`; what they lack, from a row of zeros.
  Bytes lastRow;
  for (std::uint64_t y = 0; y < height; ++y) {
    const std::uint64_t start = y * width;
    const std::uint8_t* row = pixels.data() + start;
    if (start + width > pixels.size()) {
      lastRow.assign(width, 0);
      if (start < pixels.size()) {
        std::copy(pixels.begin() + static_cast<std::ptrdiff_t>(start), pixels.end(),
                  lastRow.begin());
      }
      row = lastRow.data();
    }
    CheckWrite(spng_encode_row(ctx, row, width));
  }
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
  return WriteIndexedPng(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(rows),
                         storedRows, palette, options, shape);
}

EntryRows EntryOfPicture(std::uint32_t height, Bytes indexes,
                         const std::optional<EntryShape>& shape) {
  EntryRows entry;
  entry.heightField = static_cast<std::int32_t>(std::min<std::uint32_t>(
      height, static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())));
  entry.storedRows = std::move(indexes);
  if (shape) {
    entry.heightField = shape->heightField;
    entry.storedRows.resize(std::min<std::size_t>(shape->storedLength, entry.storedRows.size()));
  }
  return entry;
}

}  // namespace sprite::formats
