// File descriptors owned by the object that holds them.
#pragma once

#include <unistd.h>

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

}  // namespace sprite::files
