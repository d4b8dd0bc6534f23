// An open regular file read by offset, a block at a time.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/byte_io.h"
#include "common/bytes.h"
#include "files/posix/descriptor.h"

namespace sprite::files {

// Reads ahead in blocks, so that reading an archive entry by entry costs a
// system call per block, not two per entry, and a file that fits one block
// (a sprite's bitmap: headers, palette and pixels) costs one. No byte is read
// twice. Every failure throws FaultError with the path.
class PosixSource : public ByteSource {
 public:
  // Takes over `fd`, an open regular file of `size` bytes.
  PosixSource(std::string path, int fd, std::uint64_t size)
      : path_(std::move(path)), fd_(fd), size_(size) {}

  std::uint64_t Size() const override { return size_; }
  void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  void ReadFully(std::uint64_t offset, std::span<std::uint8_t> out);

  std::string path_;
  Descriptor fd_;
  std::uint64_t size_;
  Bytes window_;  // the bytes from windowStart_ on
  std::uint64_t windowStart_ = 0;
};

}  // namespace sprite::files
