#pragma once

#include <cstdint>

#include "common/bytes.h"

namespace sprite::pipeline {

// An 8-bit picture: width × height palette indexes, top row first, no padding.
struct IndexedImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  Bytes pixels;
  friend bool operator==(const IndexedImage&, const IndexedImage&) = default;
};

}  // namespace sprite::pipeline
