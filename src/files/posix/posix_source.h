// An open regular file read by offset through POSIX calls.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "files/posix/descriptor.h"
#include "files/read_ahead_source.h"

namespace sprite::files {

class PosixSource : public ReadAheadSource {
 public:
  // Takes over `fd`, an open regular file of `size` bytes.
  PosixSource(std::string path, int fd, std::uint64_t size)
      : ReadAheadSource(std::move(path), size), fd_(fd) {}

 private:
  void ReadFully(std::uint64_t offset, std::span<std::uint8_t> out) override;

  Descriptor fd_;
};

}  // namespace sprite::files
