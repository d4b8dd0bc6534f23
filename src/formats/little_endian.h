#pragma once

#include <cstddef>
#include <cstdint>

#include "common/bytes.h"

namespace sprite::formats {

// Unsigned little-endian value of `size` bytes at `offset`. A byte beyond the end
// of `bytes` reads as 0, so a field cut off by the end of a file keeps the bytes
// it has and a missing field is 0.
inline std::uint32_t ReadLittleEndian(ByteView bytes, std::size_t offset, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (offset < bytes.size() && i < bytes.size() - offset) {
      value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    }
  }
  return value;
}

inline void AppendLittleEndian(Bytes& out, std::uint32_t value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

}  // namespace sprite::formats
