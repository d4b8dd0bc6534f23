#include "formats/png_chunks.h"

#include <libdeflate.h>

#include "common/error.h"
#include "formats/png_picture.h"

namespace sprite::formats {

namespace {

constexpr std::size_t kChunkFrame = 12;  // length, type, CRC

std::string Text(std::uint64_t value) {
  return std::to_string(value);
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

}  // namespace sprite::formats
