#include "formats/png_picture.h"

#include <libdeflate.h>
#include <spng.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "codec/picture_width.h"
#include "common/error.h"
#include "formats/entry_limits.h"
#include "formats/png_image_data.h"
#include "formats/png_sixteen_bit.h"

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
  return libdeflate_crc32(0, data, size);
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

// The chunks a picture is read from: every critical one, the transparency
// and the entry's shape. Other ancillary chunks are passed over unread.
bool IsRead(const std::uint8_t* type) {
  return IsCritical(type) || std::memcmp(type, "tRNS", 4) == 0 ||
         std::memcmp(type, kEntryShapeChunk.data(), 4) == 0;
}

// The CRC at the end of the chunk at `at`, whose data is `length` bytes, is
// that of its type and data.
bool CrcMatches(const std::uint8_t* at, std::uint32_t length) {
  return Crc32(at + 4, 4 + std::size_t{length}) == BigEndian32(at + 8 + length);
}

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t bitDepth = 0;
  std::uint8_t colourType = 0;
  std::uint64_t imageDataBytes = 0;  // all IDAT chunks together
  // The data of the first IDAT chunks one after the other, in order.
  std::vector<ByteView> imageData;
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
// damaged chunk the picture is read from is named with its offset, whatever
// the colour type, and so that nothing is allocated for a picture its image
// data cannot hold.
Header WalkChunks(ByteView file, const PngLimits& limits) {
  if (!IsPng(file)) {
    throw FaultError({.kind = FaultKind::kNotAPng});
  }
  Header header;
  bool sawHeader = false;
  bool sawImageData = false;
  bool imageDataRun = false;  // the chunk before was one of the first IDAT chunks
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
    const bool isImageData = std::memcmp(type, "IDAT", 4) == 0;
    if (IsRead(type) && !CrcMatches(at, length)) {
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
      if (imageDataRun || !sawImageData) {
        header.imageData.emplace_back(at + 8, length);
        imageDataRun = true;
      }
      sawImageData = true;
      header.imageDataBytes += length;
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      break;
    }
    imageDataRun = imageDataRun && isImageData;
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
  return header;
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

// The chunks were walked and their CRCs checked before the decoder ran: what
// it finds is in the data itself.
void CheckRead(int code) {
  if (code != 0) {
    Damaged("the PNG cannot be read: " + SpngReason(code));
  }
}

// Indexes of `bitDepth` bits, packed high bits first, one byte each.
Bytes UnpackIndexes(Bytes packed, std::uint32_t width, std::uint32_t height,
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
  bool sawAlpha = false;
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
    if ((isHeader || isPalette || isAlpha) && !CrcMatches(at, length)) {
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
    } else if (isAlpha && !sawAlpha && length > 0 && length <= colours.palette.size()) {
      // As ReadPng takes it: the first tRNS that fits the PLTE before it; any
      // tRNS after that one is passed over.
      sawAlpha = true;
      alphas.assign(data, data + length);
    }
    offset += kChunkFrame + length;
  }
  return std::nullopt;
}

namespace {

std::size_t RowBytes(const spng_ihdr& ihdr) {
  return (std::size_t{ihdr.width} * static_cast<std::size_t>(SamplesPerPixel(ihdr.color_type)) *
              ihdr.bit_depth +
          7) /
         8;
}

// 8-bit samples of `samples` a pixel widened to RGBA8: grey to its three
// colours, a missing alpha 255, or 0 where the pixel is `trns`'s colour key.
Bytes WidenToRgba(Bytes rows, std::uint32_t width, std::uint32_t height, std::uint8_t colourType,
                  const std::optional<spng_trns>& trns) {
  const std::size_t count = std::size_t{width} * height;
  if (colourType == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA) {
    return rows;
  }
  Bytes rgba(4 * count);
  std::uint8_t* out = rgba.data();
  const std::uint8_t* in = rows.data();
  switch (colourType) {
    case SPNG_COLOR_TYPE_GRAYSCALE:
      for (std::size_t i = 0; i < count; ++i, out += 4) {
        out[0] = out[1] = out[2] = in[i];
        // The grey key is compared whole: one past 255 matches no 8-bit sample.
        out[3] = trns && trns->gray == in[i] ? 0 : 255;
      }
      break;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
      for (std::size_t i = 0; i < count; ++i, out += 4, in += 2) {
        out[0] = out[1] = out[2] = in[0];
        out[3] = in[1];
      }
      break;
    default: {  // truecolour; the colour key is taken in its low 8 bits
      const std::uint8_t key[3] = {static_cast<std::uint8_t>(trns ? trns->red : 0),
                                   static_cast<std::uint8_t>(trns ? trns->green : 0),
                                   static_cast<std::uint8_t>(trns ? trns->blue : 0)};
      for (std::size_t i = 0; i < count; ++i, out += 4, in += 3) {
        std::copy_n(in, 3, out);
        out[3] = trns && std::equal(in, in + 3, key) ? 0 : 255;
      }
      break;
    }
  }
  return rgba;
}

// The picture's image data decoded in one piece, for pictures that need no
// more than undoing filters and widening samples: not interlaced, indexed or
// of 8-bit samples. Packed indexes or RGBA8, as libspng gives them. Nothing
// for any other picture, or when the data is not plainly whole and sound (a
// stream that ends early or runs on, an unknown filter): libspng then reads it
// row by row and says what is wrong, if anything is.
std::optional<Bytes> DecodeWhole(const Header& walk, const spng_ihdr& ihdr,
                                 const std::optional<spng_trns>& trns) {
  const bool indexed = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
  if (ihdr.interlace_method != SPNG_INTERLACE_NONE || (!indexed && ihdr.bit_depth != 8)) {
    return std::nullopt;
  }
  Bytes joined;
  ByteView stream = walk.imageData.front();
  if (walk.imageData.size() > 1) {
    for (const ByteView part : walk.imageData) {
      joined.insert(joined.end(), part.begin(), part.end());
    }
    stream = joined;
  }
  const std::size_t bytesPerPixel = std::max<std::size_t>(
      1, static_cast<std::size_t>(SamplesPerPixel(ihdr.color_type)) * ihdr.bit_depth / 8);
  std::optional<Bytes> rows = InflateRows(stream, RowBytes(ihdr), ihdr.height, bytesPerPixel);
  if (!rows || indexed) {
    return rows;
  }
  return WidenToRgba(std::move(*rows), ihdr.width, ihdr.height, ihdr.color_type, trns);
}

}  // namespace

PngPicture ReadPng(ByteView file, const PngLimits& limits, PngDecoding decoding) {
  const Header walk = WalkChunks(file, limits);
  Context context = NewContext(0);
  spng_ctx* ctx = context.get();
  CheckRead(spng_set_png_buffer(ctx, file.data(), file.size()));
  CheckRead(spng_set_image_limits(ctx, limits.maxWidth, limits.maxHeight));
  CheckRead(spng_set_chunk_limits(ctx, limits.maxChunkBytes, limits.maxChunkCacheBytes));
  CheckRead(spng_set_option(ctx, SPNG_KEEP_UNKNOWN_CHUNKS, 1));
  spng_ihdr ihdr{};
  CheckRead(spng_get_ihdr(ctx, &ihdr));
  // Every chunk before the image data, read and checked before any pixel.
  CheckRead(spng_decode_chunks(ctx));
  std::optional<spng_trns> trns;
  if (spng_trns found{}; spng_get_trns(ctx, &found) == 0) {
    trns = found;
  }

  PngPicture picture;
  picture.width = ihdr.width;
  picture.height = ihdr.height;
  picture.entryShape = ReadEntryShape(ctx, ihdr.width, ihdr.height);
  const bool indexed = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
  picture.form = indexed ? PngForm::kIndexed : PngForm::kRgba8;
  std::optional<Bytes> decoded;
  if (decoding == PngDecoding::kWholeWhereItCan) {
    decoded = DecodeWhole(walk, ihdr, trns);
  }
  if (!decoded && !indexed && ihdr.bit_depth == 16) {
    MergedColours merged;
    decoded.emplace();
    CheckRead(DecodeRoundedTo8Bits(ctx, ihdr.width, ihdr.height,
                                   ihdr.interlace_method != SPNG_INTERLACE_NONE, *decoded, merged));
    picture.mergedColours = merged.Count();
    picture.mergedCountComplete = merged.Complete();
  }
  if (!decoded) {
    const int format = indexed ? SPNG_FMT_PNG : SPNG_FMT_RGBA8;
    std::size_t size = 0;
    CheckRead(spng_decoded_image_size(ctx, format, &size));
    decoded.emplace(size);
    CheckRead(spng_decode_image(ctx, decoded->data(), decoded->size(), format,
                                indexed ? 0 : SPNG_DECODE_TRNS));
  }

  if (indexed) {
    spng_plte plte{};
    CheckRead(spng_get_plte(ctx, &plte));
    picture.palette.reserve(plte.n_entries);
    for (std::uint32_t i = 0; i < plte.n_entries; ++i) {
      const spng_plte_entry& e = plte.entries[i];
      const std::uint8_t alpha = trns && i < trns->n_type3_entries ? trns->type3_alpha[i] : 255;
      picture.palette.push_back({e.red, e.green, e.blue, alpha});
    }
    picture.pixels = UnpackIndexes(std::move(*decoded), ihdr.width, ihdr.height, ihdr.bit_depth);
    // The largest index first, a plain pass the compiler widens; with 256
    // entries no index can be past them.
    const std::uint8_t largest =
        picture.palette.size() == 256 ? 0 : std::ranges::max(picture.pixels);
    if (largest >= picture.palette.size()) {
      const auto past = std::ranges::find_if(
          picture.pixels, [&](std::uint8_t index) { return index >= picture.palette.size(); });
      const auto i = static_cast<std::size_t>(past - picture.pixels.begin());
      Damaged("pixel (" + Text(i % ihdr.width) + ", " + Text(i / ihdr.width) +
              ") uses palette index " + Text(*past) + ", past the " + Text(picture.palette.size()) +
              " entries of its PLTE chunk");
    }
  } else {
    picture.pixels = std::move(*decoded);
    picture.partialAlpha = AnyPartialAlpha(picture.pixels);
  }
  return picture;
}

bool AnyPartialAlpha(ByteView rgba) {
  // Alpha a is partial when a + 1 is neither 1 nor 256, that is when
  // (a + 1) & 0xFE is not 0.
  std::uint32_t partialBits = 0;
  for (std::size_t i = 0; i + 4 <= rgba.size(); i += 4) {
    std::uint32_t word = 0;
    std::memcpy(&word, rgba.data() + i, 4);
    const std::uint32_t alpha =
        std::endian::native == std::endian::little ? word >> 24 : word & 0xFF;
    partialBits |= (alpha + 1) & 0xFE;
  }
  return partialBits != 0;
}

void AppendPngChunk(Bytes& out, const PngChunkType& type, ByteView data) {
  AppendBigEndian(out, static_cast<std::uint32_t>(data.size()), 4);
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  AppendBigEndian(out, Crc32(out.data() + start, out.size() - start), 4);
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
