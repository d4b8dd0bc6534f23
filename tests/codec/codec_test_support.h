#pragma once

#include <cstdint>
#include <random>
#include <sstream>
#include <string_view>

#include "common/bytes.h"

namespace sprite::codec {

// "41 00 03" -> {0x41, 0x00, 0x03}.
inline Bytes Hex(std::string_view text) {
  Bytes out;
  std::istringstream in{std::string(text)};
  unsigned value = 0;
  while (in >> std::hex >> value) {
    out.push_back(static_cast<std::uint8_t>(value));
  }
  return out;
}

inline Bytes Zeros(std::size_t count) {
  return Bytes(count, 0);
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) {
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

// Pixels the way sprites look to the coder: zero runs of every length, the
// lengths around the 255-byte run limit among them, and literal spans between,
// sometimes of one repeated value.
inline Bytes RandomPixels(std::mt19937& rng, std::size_t length) {
  static constexpr std::size_t kEdgeRuns[] = {254, 255, 256, 257, 509, 510, 511, 765, 766};
  std::uniform_int_distribution<int> pick(0, 99);
  std::uniform_int_distribution<int> nonZero(1, 255);
  Bytes out;
  out.reserve(length);
  bool zeros = pick(rng) < 50;
  while (out.size() < length) {
    const std::size_t room = length - out.size();
    std::size_t span = 0;
    const int kind = pick(rng);
    if (zeros) {
      if (kind < 55) {
        span = std::uniform_int_distribution<std::size_t>(1, 12)(rng);
      } else if (kind < 80) {
        span = std::uniform_int_distribution<std::size_t>(13, 300)(rng);
      } else if (kind < 95) {
        span = kEdgeRuns[std::uniform_int_distribution<std::size_t>(0, 8)(rng)];
      } else {
        span = std::uniform_int_distribution<std::size_t>(300, 3000)(rng);
      }
      out.insert(out.end(), std::min(span, room), 0);
    } else {
      span =
          std::min(std::uniform_int_distribution<std::size_t>(1, kind < 90 ? 40 : 400)(rng), room);
      const bool repeated = kind % 7 == 0;
      const auto value = static_cast<std::uint8_t>(nonZero(rng));
      for (std::size_t k = 0; k < span; ++k) {
        out.push_back(repeated ? value : static_cast<std::uint8_t>(nonZero(rng)));
      }
    }
    zeros = !zeros;
  }
  return out;
}

// Any bytes at all, a coded stream or not: counts of 0 and lone zeros included.
inline Bytes RandomBytes(std::mt19937& rng, std::size_t length, int zeroPercent) {
  std::uniform_int_distribution<int> pick(0, 99);
  std::uniform_int_distribution<int> any(1, 255);
  Bytes out(length);
  for (auto& b : out) {
    b = pick(rng) < zeroPercent ? 0 : static_cast<std::uint8_t>(any(rng));
  }
  return out;
}

}  // namespace sprite::codec
