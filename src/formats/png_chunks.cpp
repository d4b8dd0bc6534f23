#include "formats/png_chunks.h"

#include <libdeflate.h>

#include "common/error.h"
#include "common/text.h"
#include "formats/entry_limits.h"
#include "formats/png_picture.h"

namespace sprite::formats {

namespace {

std::string Text(std::uint64_t value) {
  return std::to_string(value);
}

// Deflate turns at most 1032 bytes into 1 (258-byte matches coded in 2 bits);
// image data claiming more pixel bytes than that is cut off, and is refused
// before anything is allocated for it.
constexpr std::uint64_t kMaxInflateRatio = 1032;

// Refuses a picture of `width` × `height` pixels that no archive entry can
// hold. Its stored rows are its pixels, or with an entry-shape chunk at least
// all but its last row's: only a picture too large even then is refused here,
// in the words of the check that would refuse it once decoded.
void RefuseUnlessOneEntry(std::uint32_t width, std::uint32_t height,
                          const std::optional<EntryShape>& shape) {
  const std::uint64_t area = std::uint64_t{width} * height;
  const std::uint64_t fewest = height > 1 ? area - width + 1 : 0;
  // An entry decode --png wrote keeps its own height field, which need not be its rows.
  const std::int32_t heightField =
      shape && shape->Fits(width, height) ? shape->heightField : static_cast<std::int32_t>(height);
  if (std::optional<Fault> misfit =
          CheckEntryFits({fewest, static_cast<std::int32_t>(width), heightField, {}})) {
    if (misfit->kind == FaultKind::kPixelAreaTooLarge) {
      misfit->value = static_cast<std::int64_t>(area);
    }
    throw FaultError(std::move(*misfit));
  }
}

// The chunks a picture is read from: every critical one, the transparency
// and the entry's shape. Other ancillary chunks are passed over unread.
bool IsRead(const PngChunk& chunk) {
  return chunk.IsCritical() || chunk.Is("tRNS") ||
         std::memcmp(chunk.type, kEntryShapeChunk.data(), 4) == 0;
}

// Refuses a chunk out of its place: a second IHDR, image data after other
// chunks followed the image data, a critical chunk PNG does not define, an
// IEND with data. libspng refuses these only when it reads that far, which the
// picture's decoding does not always do; refused here, every picture is read
// or refused the same way, in words that name the chunk.
void CheckPlace(const PngChunk& chunk, bool sawHeader, bool imageDataEnded) {
  if (chunk.Is("IHDR") && sawHeader) {
    PngDamaged(chunk.Where() + " is a second IHDR chunk; a PNG has one, at its start",
               chunk.offset);
  }
  if (chunk.Is("IDAT") && imageDataEnded) {
    PngDamaged(chunk.Where() + " comes after other chunks that follow the image data; " +
                   "a PNG's IDAT chunks stand one after the other",
               chunk.offset);
  }
  if (chunk.IsCritical() && !chunk.Is("IHDR") && !chunk.Is("PLTE") && !chunk.Is("IDAT") &&
      !chunk.Is("IEND")) {
    PngDamaged(chunk.Where() + " is a critical chunk PNG does not define; " +
                   "the picture cannot be read without knowing it",
               chunk.offset);
  }
  if (chunk.Is("IEND") && chunk.length != 0) {
    PngDamaged(chunk.Where() + " holds data (" + Counted(chunk.length, "byte", "bytes") +
                   "); an IEND chunk is empty",
               chunk.offset);
  }
}

}  // namespace

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

void PngDamaged(std::string what, std::optional<std::uint64_t> offset) {
  throw FaultError({.kind = FaultKind::kDamagedPng, .offset = offset, .text = std::move(what)});
}

std::string PngChunk::Where() const {
  std::string name;
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<char>(type[i]);
    name += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return "chunk " + name + " at offset " + Text(offset);
}

PngChunks::PngChunks(ByteView file) : file_(file), offset_(kPngSignature.size()) {
  if (!IsPng(file)) {
    throw FaultError({.kind = FaultKind::kNotAPng});
  }
}

std::optional<PngChunk> PngChunks::Next() const {
  if (file_.size() - offset_ < 8) {
    return std::nullopt;
  }
  const std::uint8_t* at = file_.data() + offset_;
  return PngChunk{.offset = offset_, .length = BigEndian32(at), .type = at + 4};
}

bool PngChunks::Take(PngChunk& chunk, bool checkCrc) {
  if (chunk.length > kMaxPngNumber) {
    PngDamaged(chunk.Where() + " has a length of " + Text(chunk.length) + ", more than PNG allows",
               chunk.offset);
  }
  if (file_.size() - offset_ - 8 < std::uint64_t{chunk.length} + 4) {
    return false;
  }
  chunk.data = chunk.type + 4;
  // The CRC covers the type and the data.
  if (checkCrc && libdeflate_crc32(0, chunk.type, 4 + std::size_t{chunk.length}) !=
                      BigEndian32(chunk.data + chunk.length)) {
    PngDamaged(chunk.Where() + " is damaged: its CRC does not match its data", chunk.offset);
  }
  if (offset_ == kPngSignature.size() && !chunk.Is("IHDR")) {
    PngDamaged(chunk.Where() + " comes first; a PNG starts with its IHDR chunk", chunk.offset);
  }
  offset_ += kChunkFrame + chunk.length;
  return true;
}

PngChunkWalk WalkPngChunks(ByteView file, const PngLimits& limits) {
  PngChunks chunks(file);
  PngChunkWalk walk;
  bool sawHeader = false;
  bool sawImageData = false;
  bool imageDataEnded = false;  // a chunk other than IDAT followed the image data
  std::uint32_t frames = 0;     // as acTL counts them
  bool stillIsFrame = false;
  std::optional<EntryShape> shape;
  while (true) {
    std::optional<PngChunk> chunk = chunks.Next();
    if (!chunk) {
      PngDamaged("the file is cut off at byte " + Text(file.size()) +
                 ": it ends before its IEND chunk");
    }
    if (!chunks.Take(*chunk, IsRead(*chunk))) {
      PngDamaged(chunk->Where() + " (" + Counted(chunk->length, "byte", "bytes") +
                     ") runs past the end of the file (" + Counted(file.size(), "byte", "bytes") +
                     "): the file is cut off",
                 chunk->offset);
    }
    CheckPlace(*chunk, sawHeader, imageDataEnded);
    if (chunk->Is("IHDR")) {
      if (chunk->length != kIhdrLength) {
        PngDamaged(
            chunk->Where() + " is " + Counted(chunk->length, "byte", "bytes") + " long, not 13",
            chunk->offset);
      }
      walk.layout = {BigEndian32(chunk->data), BigEndian32(chunk->data + 4), chunk->data[8],
                     chunk->data[9], chunk->data[12] != 0};
      sawHeader = true;
    } else if (chunk->Is("IDAT")) {
      if (!sawImageData) {
        walk.imageDataStart = chunk->offset;
      }
      walk.imageDataBytes += chunk->length;
      walk.imageDataEnd = chunk->offset + kChunkFrame + std::size_t{chunk->length};
      sawImageData = true;
    } else if (chunk->Is("IEND")) {
      walk.endOffset = chunk->offset;
      break;
    } else {
      if (std::memcmp(chunk->type, kEntryShapeChunk.data(), 4) == 0 && chunk->length == 6 &&
          !shape && !sawImageData) {
        shape = EntryShape{static_cast<std::int16_t>(chunk->data[0] << 8 | chunk->data[1]),
                           BigEndian32(chunk->data + 2)};
      }
      if (chunk->Is("acTL") && chunk->length >= 4 && !sawImageData) {
        frames = BigEndian32(chunk->data);
      }
      stillIsFrame = stillIsFrame || (chunk->Is("fcTL") && !sawImageData);
      imageDataEnded = sawImageData;
    }
  }
  walk.framesLeftOut = frames - std::min<std::uint32_t>(frames, stillIsFrame ? 1 : 0);
  const PngImageLayout& layout = walk.layout;
  if (!sawImageData) {
    PngDamaged("it has no image data (no IDAT chunk)");
  }
  if (layout.width == 0 || layout.height == 0) {
    PngDamaged("the IHDR chunk gives a size of " + Text(layout.width) + " × " +
               Text(layout.height) + " pixels; a picture needs at least 1 × 1");
  }
  if (layout.width > limits.maxWidth || layout.height > limits.maxHeight ||
      std::uint64_t{layout.width} * layout.height > limits.maxPixels) {
    throw FaultError({.kind = FaultKind::kPngTooLarge,
                      .value = layout.width,
                      .bound = layout.height,
                      .text = "the " + Text(limits.maxPixels) + " pixels (at most " +
                              Text(limits.maxWidth) + " wide and " + Text(limits.maxHeight) +
                              " high) a PNG may have here"});
  }
  if (limits.oneEntry) {
    RefuseUnlessOneEntry(layout.width, layout.height, shape);
  }
  const std::uint64_t pixelBits = std::uint64_t{layout.width} * layout.height *
                                  static_cast<std::uint64_t>(SamplesPerPixel(layout.colourType)) *
                                  layout.bitDepth;
  if (pixelBits / 8 > walk.imageDataBytes * kMaxInflateRatio + 1024) {
    PngDamaged("its image data (" + Counted(walk.imageDataBytes, "byte", "bytes") +
               ") is far too short for a picture of " + Text(layout.width) + " × " +
               Text(layout.height) + " pixels: the file is cut off or damaged");
  }
  return walk;
}

}  // namespace sprite::formats
