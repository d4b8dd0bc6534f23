#pragma once

#include <cstdint>
#include <span>

#include "common/bytes.h"

namespace sprite {

// Where file bytes are written: appended at the end, or written over at an offset.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void Append(ByteView bytes) = 0;
  virtual void WriteAt(std::uint64_t offset, ByteView bytes) = 0;
};

// Where file bytes are read from, by offset. ReadAt fills `out` completely or throws.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  virtual void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

}  // namespace sprite
