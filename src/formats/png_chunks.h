// A PNG file's chunks, walked one after another, each checked before it is
// used: the one walk both the full reader and the quick palette reader take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "common/bytes.h"
#include "formats/png_image_data.h"

namespace sprite::formats {

// Chunk lengths, widths and heights are at most this.
inline constexpr std::uint32_t kMaxPngNumber = 0x7FFFFFFF;
inline constexpr std::size_t kIhdrLength = 13;
// What frames a chunk's data: its length, type and CRC.
inline constexpr std::size_t kChunkFrame = 12;

struct PngLimits;

std::uint32_t BigEndian32(const std::uint8_t* bytes);

// The file's bytes are damaged: `what` says what and where, `offset` the chunk's.
[[noreturn]] void PngDamaged(std::string what, std::optional<std::uint64_t> offset = std::nullopt);

struct PngChunk {
  std::size_t offset = 0;  // of its length field in the file
  std::uint32_t length = 0;
  const std::uint8_t* type = nullptr;  // 4 bytes
  const std::uint8_t* data = nullptr;  // `length` bytes, once the chunk is whole

  bool Is(const char (&name)[5]) const { return std::memcmp(type, name, 4) == 0; }
  // Not ancillary: a reader must understand it.
  bool IsCritical() const { return (type[0] & 0x20) == 0; }
  ByteView Data() const { return {data, length}; }
  // "chunk IHDR at offset 8", for messages.
  std::string Where() const;
};

class PngChunks {
 public:
  // Throws FaultError (kNotAPng) for bytes that do not start with the signature.
  explicit PngChunks(ByteView file);

  // The length and type of the next chunk; nothing once fewer than 8 bytes are left.
  std::optional<PngChunk> Next() const;
  // Takes the chunk Next gave whole and goes past it: false, and no step,
  // when the bytes end before its CRC does. Checks that its length is one PNG
  // allows, its CRC when `checkCrc` (a chunk the picture is read from), and
  // that the first chunk is IHDR; throws FaultError (kDamagedPng) naming the
  // chunk and its offset when one is not so.
  bool Take(PngChunk& chunk, bool checkCrc);

  // Where the next chunk starts, and the bytes walked.
  std::size_t Offset() const { return offset_; }
  std::size_t Size() const { return file_.size(); }

 private:
  ByteView file_;
  std::size_t offset_;
};

// What the walk over a whole file before any decoding finds.
struct PngChunkWalk {
  PngImageLayout layout;
  std::uint64_t imageDataBytes = 0;  // all IDAT chunks together
  // The IDAT chunks stand one after the other (a PNG that has other chunks
  // between them is refused), from the first one's offset to just past the
  // last one: kept as two offsets rather than a record per chunk, so that a
  // file of millions of tiny chunks costs no more than its bytes.
  std::size_t imageDataStart = 0;
  std::size_t imageDataEnd = 0;
  std::size_t endOffset = 0;  // the offset of the IEND chunk
  // An animated PNG's frames (acTL) that its still picture, the one its IDAT
  // chunks hold and the only one read, is not: all but the first when the
  // still picture is the first frame (an fcTL before the image data), else all.
  std::uint32_t framesLeftOut = 0;
};

// Walks every chunk of `file` to IEND before the decoder does, so that a
// cut-off file, a damaged chunk the picture is read from or a chunk out of
// its place is named with its offset, whatever the colour type, and so that
// nothing is allocated for a picture its image data cannot hold or `limits`
// do not allow. Throws FaultError (kNotAPng, kDamagedPng, kPngTooLarge).
PngChunkWalk WalkPngChunks(ByteView file, const PngLimits& limits);

}  // namespace sprite::formats
