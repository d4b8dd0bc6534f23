// An open regular file read by offset, a block at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/byte_io.h"
#include "common/bytes.h"

namespace sprite::files {

// Reads and writes go through buffers of this size: an archive is read and
// written in small pieces, one entry head and one coded stream at a time.
inline constexpr std::size_t kFileBufferSize = 64 * 1024;

// Reads ahead in blocks, so that reading an archive entry by entry costs a
// system call per block, not two per entry, and a file that fits one block
// (a sprite's bitmap: headers, palette and pixels) costs one. No byte is read
// twice. Every failure throws FaultError with the path.
class ReadAheadSource : public ByteSource {
 public:
  ReadAheadSource(std::string path, std::uint64_t size) : path_(std::move(path)), size_(size) {}

  std::uint64_t Size() const override { return size_; }
  void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 protected:
  const std::string& Path() const { return path_; }
  // Fills `out` from the file at `offset` with the system's reads.
  virtual void ReadFully(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
  // The file ended `done` bytes into a read from `offset` (kFileCut): it shrank meanwhile.
  [[noreturn]] void EndedEarly(std::uint64_t offset, std::size_t done) const;

 private:
  std::string path_;
  std::uint64_t size_;
  Bytes window_;  // the bytes from windowStart_ on
  std::uint64_t windowStart_ = 0;
};

}  // namespace sprite::files
