#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace sprite {

// Pixel data, palettes, coded streams and file contents: one element per byte.
using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

}  // namespace sprite
