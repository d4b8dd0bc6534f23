// The writes of a replacing file, gathered into blocks before they reach the system.
#pragma once

#include <cstdint>

#include "common/bytes.h"
#include "files/file_system.h"

namespace sprite::files {

// Appended bytes are gathered and written a block at a time; a write at an
// offset first writes what was gathered.
class BufferedReplacingFile : public ReplacingFile {
 public:
  void Append(ByteView bytes) override;
  void WriteAt(std::uint64_t offset, ByteView bytes) override;

 protected:
  // Writes the gathered bytes.
  void Flush();
  // Writes the gathered bytes and gives back the buffer's memory, for a file
  // that gets no more bytes but stays open a while (waiting in a batch).
  void FlushAndRelease();
  // Bytes appended or written so far.
  std::uint64_t Size() const { return size_; }
  // Writes all of `bytes` at `offset` with the system's writes, or throws IoError.
  virtual void WriteFully(std::uint64_t offset, ByteView bytes) = 0;

 private:
  std::uint64_t size_ = 0;  // bytes appended or written, pending ones included
  Bytes pending_;
};

}  // namespace sprite::files
