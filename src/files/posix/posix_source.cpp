// Reading an open file by offset through a read-ahead block, EINTR retried.
#include "files/posix/posix_source.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/error.h"
#include "files/posix/posix_paths.h"

namespace sprite::files {

void PosixSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (out.empty()) {
    return;
  }
  // The part the window holds already is copied, never read again.
  if (offset >= windowStart_ && offset - windowStart_ < window_.size()) {
    const std::size_t held = static_cast<std::size_t>(
        std::min<std::uint64_t>(out.size(), window_.size() - (offset - windowStart_)));
    std::memcpy(out.data(), window_.data() + (offset - windowStart_), held);
    offset += held;
    out = out.subspan(held);
  }
  if (out.empty()) {
    return;
  }
  if (out.size() >= kFileBufferSize || offset >= size_ || size_ - offset < out.size()) {
    ReadFully(offset, out);
    return;
  }
  window_.resize(
      static_cast<std::size_t>(std::min<std::uint64_t>(kFileBufferSize, size_ - offset)));
  windowStart_ = offset;
  try {
    ReadFully(offset, window_);
  } catch (...) {
    window_.clear();
    throw;
  }
  std::memcpy(out.data(), window_.data(), out.size());
}

void PosixSource::ReadFully(std::uint64_t offset, std::span<std::uint8_t> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got =
        ::pread(fd_.Get(), out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      throw ReadFailed(path_, errno);
    }
    if (got == 0) {
      throw FaultError({.kind = FaultKind::kFileCut, .path = path_, .offset = offset + done});
    }
    done += static_cast<std::size_t>(got);
  }
}

}  // namespace sprite::files
