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

std::string HexBytes(ByteView bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
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
