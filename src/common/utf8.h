#pragma once

#include <cstddef>
#include <string_view>

namespace sprite {

// The length of the longest start of `text` that fits `maxBytes` bytes without
// ending inside a UTF-8 character. Bytes that are not UTF-8 are cut where they fall.
inline std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) {
    return text.size();
  }
  // A character is at most four bytes: at most three continuation bytes
  // (10xxxxxx) follow the byte it starts with.
  constexpr std::size_t kMaxContinuation = 3;
  std::size_t cut = maxBytes;
  while (cut > 0 && maxBytes - cut < kMaxContinuation &&
         (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  if ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    return maxBytes;
  }
  return cut;
}

}  // namespace sprite
