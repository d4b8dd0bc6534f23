#pragma once

#include <algorithm>
#include <cstddef>
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

// Bytes read in order from their start, as a pipe gives them: what is read
// need not be kept, and the end need not be known before it comes.
class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Fills `out` with the next bytes as far as there are any; fewer than asked
  // only at the end. Returns how many.
  virtual std::size_t Read(std::span<std::uint8_t> out) = 0;
};

// A source read in order from its start.
class SourceStream : public ByteStream {
 public:
  explicit SourceStream(ByteSource& source) : source_(source) {}
  std::size_t Read(std::span<std::uint8_t> out) override {
    const std::uint64_t left = source_.Size() - std::min(read_, source_.Size());
    const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(left, out.size()));
    if (take > 0) {
      source_.ReadAt(read_, out.first(take));
      read_ += take;
    }
    return take;
  }

 private:
  ByteSource& source_;
  std::uint64_t read_ = 0;
};

}  // namespace sprite
