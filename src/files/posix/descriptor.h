// File descriptors owned by the object that holds them, and the size of the
// buffers reads and writes go through.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <utility>

namespace sprite::files {

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }

  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  // The result of close(), or 0 when nothing was open.
  int Close() {
    int result = 0;
    if (fd_ >= 0) {
      result = ::close(fd_);
    }
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// Reads and writes go through buffers of this size: an archive is read and
// written in small pieces, one entry head and one coded stream at a time.
inline constexpr std::size_t kFileBufferSize = 64 * 1024;

}  // namespace sprite::files
