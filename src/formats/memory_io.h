#pragma once

#include <cstdint>
#include <span>

#include "common/byte_io.h"
#include "common/bytes.h"

namespace sprite::formats {

// File bytes already in memory, read by offset. The bytes must outlive the source.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(ByteView bytes) : bytes_(bytes) {}

  std::uint64_t Size() const override { return bytes_.size(); }
  // Throws FaultError (kReadPastEnd) for a read that would run past the end of the bytes.
  void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  ByteView bytes_;
};

// Writes into a byte string the caller owns, the way a file grows: a write past
// the end extends it, the gap reading as zero bytes.
class MemorySink : public ByteSink {
 public:
  explicit MemorySink(Bytes& bytes) : bytes_(bytes) {}

  void Append(ByteView bytes) override;
  void WriteAt(std::uint64_t offset, ByteView bytes) override;

 private:
  Bytes& bytes_;
};

}  // namespace sprite::formats
