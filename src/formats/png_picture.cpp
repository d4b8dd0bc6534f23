#include "formats/png_picture.h"

#include <spng.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "common/error.h"
#include "common/text.h"
#include "formats/png_chunks.h"
#include "formats/png_image_data.h"
#include "formats/png_sixteen_bit.h"
#include "formats/png_writer.h"
#include "formats/stored_picture.h"

namespace sprite::formats {

namespace {

std::string Text(std::uint64_t value) {
  return std::to_string(value);
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
    PngDamaged("the PNG cannot be read: " + SpngReason(code));
  }
}

// The most text, profile and unknown chunks libspng keeps of a picture
// (SPNG_MAX_CHUNK_COUNT), which it lets no caller raise.
constexpr std::uint64_t kMaxKeptChunks = 1000;

// A decoder of `file` within `limits`, keeping the chunks it does not know.
Context Decoder(ByteView file, const PngLimits& limits) {
  Context context = NewContext(0);
  spng_ctx* ctx = context.get();
  CheckRead(spng_set_png_buffer(ctx, file.data(), file.size()));
  CheckRead(spng_set_image_limits(ctx, limits.maxWidth, limits.maxHeight));
  CheckRead(spng_set_chunk_limits(ctx, limits.maxChunkBytes, limits.maxChunkCacheBytes));
  CheckRead(spng_set_option(ctx, SPNG_KEEP_UNKNOWN_CHUNKS, 1));
  return context;
}

bool IsPastChunkLimits(int code) {
  return code == SPNG_ECHUNK_LIMITS || code == SPNG_EMEM;
}

// Whether libspng reaches its limits on the chunks of `file` before its image data.
bool ReachesChunkLimits(ByteView file, const PngLimits& limits) {
  return IsPastChunkLimits(spng_decode_chunks(Decoder(file, limits).get()));
}

// libspng says only that a limit was reached, not by which chunk: it is the
// last of the fewest chunks from the file's start that reach it too, found by
// halving their number (each try a prefix of the file, nothing copied).
[[noreturn]] void RefuseChunkPastLimits(ByteView file, const PngLimits& limits) {
  const auto nth = [&](std::size_t n) {  // the n-th chunk before the image data
    PngChunks chunks(file);
    std::optional<PngChunk> chunk;
    for (std::size_t i = 0; i <= n; ++i) {
      chunk = chunks.Next();
      if (!chunk || chunk->Is("IDAT") || !chunks.Take(*chunk, false)) {
        return std::optional<PngChunk>();
      }
    }
    return chunk;
  };
  std::size_t low = 0;
  std::size_t high = 0;  // past the last chunk before the image data
  while (nth(high)) {
    high = high * 2 + 1;
  }
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const std::optional<PngChunk> chunk = nth(middle);
    if (!chunk ||
        ReachesChunkLimits(file.first(chunk->offset + kChunkFrame + chunk->length), limits)) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  const std::optional<PngChunk> chunk = nth(low);
  const std::string what = chunk ? chunk->Where() : std::string("an ancillary chunk");
  PngDamaged(what + " goes past what a picture's ancillary chunks may hold here: at most " +
                 Text(kMaxKeptChunks) + " of them, each at most " + Text(limits.maxChunkBytes) +
                 " bytes and all together " + Text(limits.maxChunkCacheBytes) +
                 " bytes, once inflated; save the picture again without it",
             chunk ? std::optional<std::uint64_t>(chunk->offset) : std::nullopt);
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
    return shape.Fits(width, height) ? std::optional(shape) : std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

bool EntryShape::Fits(std::uint32_t width, std::uint32_t height) const {
  const std::uint64_t area = std::uint64_t{width} * height;
  return storedLength == 0 ? height == 1 : storedLength <= area && storedLength > area - width;
}

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
  PngChunks chunks(fileStart);
  PngColours colours;
  std::optional<std::uint8_t> bitDepth;
  Bytes alphas;
  bool sawAlpha = false;
  while (std::optional<PngChunk> chunk = chunks.Next()) {
    if (chunk->Is("IDAT")) {
      if (!bitDepth) {
        PngDamaged(chunk->Where() + " comes first; a PNG starts with its IHDR chunk",
                   chunk->offset);
      }
      if (colours.form == PngForm::kIndexed && colours.palette.empty()) {
        PngDamaged("it is an indexed picture without a palette (no PLTE chunk)");
      }
      for (std::size_t i = 0; i < std::min(alphas.size(), colours.palette.size()); ++i) {
        colours.palette[i].alpha = alphas[i];
      }
      return colours;
    }
    const bool isHeader = chunk->Is("IHDR");
    const bool isPalette = chunk->Is("PLTE");
    const bool isAlpha = chunk->Is("tRNS");
    if (!chunks.Take(*chunk, isHeader || isPalette || isAlpha)) {
      return std::nullopt;
    }
    const std::uint8_t* data = chunk->data;
    const std::uint32_t length = chunk->length;
    if (isHeader && !bitDepth) {
      if (length != kIhdrLength) {
        PngDamaged(chunk->Where() + " is " + Counted(length, "byte", "bytes") + " long, not 13",
                   chunk->offset);
      }
      bitDepth = data[8];
      if (data[9] != SPNG_COLOR_TYPE_INDEXED) {
        return colours;  // every other colour type reads as RGBA8
      }
      colours.form = PngForm::kIndexed;
    } else if (isPalette) {
      if (length == 0 || length % 3 != 0 || length / 3 > (1u << std::min<int>(*bitDepth, 8))) {
        PngDamaged(chunk->Where() + " holds " + Counted(length, "byte", "bytes") + ", not 1 to " +
                       Text(1u << std::min<int>(*bitDepth, 8)) + " entries of 3",
                   chunk->offset);
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
  }
  return std::nullopt;
}

PngPicture ReadPng(ByteView file, const PngLimits& limits, PngDecoding decoding) {
  const PngChunkWalk walk = WalkPngChunks(file, limits);
  // libspng reads on to IEND once it has decoded the last row; what it would
  // find there (text, times, unknown chunks) the picture does not need, and a
  // picture decoded whole never reads it. Given only the chunks up to the
  // image data's end, and IEND, libspng reads every picture as the whole
  // decoding does. The walk has checked the chunks cut off.
  Bytes upToImageDataEnd;
  if (walk.imageDataEnd != walk.endOffset) {
    upToImageDataEnd.assign(file.begin(),
                            file.begin() + static_cast<std::ptrdiff_t>(walk.imageDataEnd));
    AppendPngChunk(upToImageDataEnd, ChunkType("IEND"), {});
    file = upToImageDataEnd;
  }
  Context context = Decoder(file, limits);
  spng_ctx* ctx = context.get();
  spng_ihdr ihdr{};
  CheckRead(spng_get_ihdr(ctx, &ihdr));
  // Every chunk before the image data, read and checked before any pixel.
  if (const int code = spng_decode_chunks(ctx); IsPastChunkLimits(code)) {
    RefuseChunkPastLimits(file, limits);
  } else {
    CheckRead(code);
  }
  std::optional<spng_trns> trns;
  if (spng_trns found{}; spng_get_trns(ctx, &found) == 0) {
    trns = found;
  }

  PngPicture picture;
  picture.width = ihdr.width;
  picture.height = ihdr.height;
  picture.entryShape = ReadEntryShape(ctx, ihdr.width, ihdr.height);
  picture.framesLeftOut = walk.framesLeftOut;
  const bool indexed = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
  picture.form = indexed ? PngForm::kIndexed : PngForm::kRgba8;
  std::optional<Bytes> decoded;
  if (decoding == PngDecoding::kWholeWhereItCan) {
    std::optional<PngColourKey> key;
    if (trns) {
      key = PngColourKey{trns->gray, trns->red, trns->green, trns->blue};
    }
    decoded =
        DecodeWholeImage(file.subspan(walk.imageDataStart, walk.imageDataEnd - walk.imageDataStart),
                         {ihdr.width, ihdr.height, ihdr.bit_depth, ihdr.color_type,
                          ihdr.interlace_method != SPNG_INTERLACE_NONE},
                         key);
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
      PngDamaged("pixel (" + Text(i % ihdr.width) + ", " + Text(i / ihdr.width) +
                 ") uses palette index " + Text(*past) + ", past the " +
                 Counted(picture.palette.size(), "entry", "entries") + " of its PLTE chunk");
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

EntryRows EntryOfPicture(std::uint32_t height, Bytes indexes,
                         const std::optional<EntryShape>& shape) {
  EntryRows entry;
  entry.heightField = static_cast<std::int32_t>(std::min<std::uint32_t>(
      height, static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())));
  const std::size_t width = height == 0 ? 0 : indexes.size() / height;
  entry.storedRows = std::move(indexes);
  if (shape) {
    entry.heightField = shape->heightField;
    TurnStoredRows(shape->heightField, static_cast<std::uint32_t>(width), entry.storedRows);
    entry.storedRows.resize(std::min<std::size_t>(shape->storedLength, entry.storedRows.size()));
  }
  return entry;
}

}  // namespace sprite::formats
