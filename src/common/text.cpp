#include "common/text.h"

namespace sprite {

std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

}  // namespace

std::string Escaped(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
    if (byte < 0x20 || byte == 0x7F) {
      shown += "\\x";
      shown += kDigits[byte >> 4];
      shown += kDigits[byte & 0x0F];
    } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      shown += "\\u00";
      shown += kDigits[next >> 4];
      shown += kDigits[next & 0x0F];
      ++i;
    } else {
      shown += static_cast<char>(byte);
    }
  }
  return shown;
}

std::string HexBytes(ByteView bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    if (!text.empty()) {
      text += ' ';
    }
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

std::string HexAndShown(ByteView bytes) {
  std::string shown;
  for (const std::uint8_t byte : bytes) {
    shown += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
  }
  return HexBytes(bytes) + " (" + Quoted(shown) + ")";
}

}  // namespace sprite
