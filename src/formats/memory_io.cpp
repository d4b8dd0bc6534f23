#include "formats/memory_io.h"

#include <algorithm>
#include <string>

#include "common/error.h"

namespace sprite::formats {

void MemorySource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  const std::uint64_t size = bytes_.size();
  if (offset > size || out.size() > size - offset) {
    throw FaultError({.kind = FaultKind::kReadPastEnd,
                      .offset = offset,
                      .value = static_cast<std::int64_t>(out.size()),
                      .bound = static_cast<std::int64_t>(size)});
  }
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
}

void MemorySink::Append(ByteView bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void MemorySink::WriteAt(std::uint64_t offset, ByteView bytes) {
  const std::uint64_t end = offset + bytes.size();
  if (end > bytes_.size()) {
    bytes_.resize(end);
  }
  std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace sprite::formats
