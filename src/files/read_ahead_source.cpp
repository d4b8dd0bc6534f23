// Reading a file by offset through a read-ahead block.
#include "files/read_ahead_source.h"

#include <algorithm>
#include <cstring>

#include "common/error.h"

namespace sprite::files {

void ReadAheadSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
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
  // A read that reaches the file's end leaves nothing to read ahead.
  if (out.size() >= kFileBufferSize || offset >= size_ || size_ - offset <= out.size()) {
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

void ReadAheadSource::EndedEarly(std::uint64_t offset, std::size_t done) const {
  throw FaultError({.kind = FaultKind::kFileCut, .path = path_, .offset = offset + done});
}

}  // namespace sprite::files
