#include "common/text.h"

namespace sprite {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& text, std::uint8_t byte) {
  text += kDigits[byte >> 4];
  text += kDigits[byte & 0x0F];
}

// Where `text` holds characters past its `count` first, counting the start of
// each UTF-8 sequence; text.size() when it holds no more.
std::size_t PastCharacters(std::string_view text, std::size_t count) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<std::uint8_t>(text[i]) & 0xC0) != 0x80 && count-- == 0) {
      return i;
    }
  }
  return text.size();
}

// `shown` cut to its ends around "…" when it is longer than a message shows.
std::string Shortened(std::string shown) {
  const std::size_t headEnd = PastCharacters(shown, kShownEnds);
  if (PastCharacters(std::string_view(shown).substr(headEnd), kShownEnds + 1) ==
      shown.size() - headEnd) {
    return shown;
  }
  // The last kShownEnds characters start where as many are left as follow.
  std::size_t tailStart = shown.size();
  for (std::size_t left = kShownEnds; left > 0 && tailStart > headEnd;) {
    if ((static_cast<std::uint8_t>(shown[--tailStart]) & 0xC0) != 0x80) {
      --left;
    }
  }
  return shown.substr(0, headEnd) + "…" + shown.substr(tailStart);
}

}  // namespace

std::optional<ControlCharacter> FindControlCharacter(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
      return ControlCharacter{i, 1};
    }
    // U+0080 to U+009F, which some terminals take as 8-bit escapes.
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<std::uint8_t>(text[i + 1]) >= 0x80 &&
        static_cast<std::uint8_t>(text[i + 1]) <= 0x9F) {
      return ControlCharacter{i, 2};
    }
  }
  return std::nullopt;
}

std::string Escaped(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  while (const auto control = FindControlCharacter(text)) {
    shown += text.substr(0, control->offset);
    // A C1 character shows as its code point, \u009B; the others as their byte.
    const auto last = static_cast<std::uint8_t>(text[control->offset + control->length - 1]);
    shown += control->length == 1 ? "\\x" : "\\u00";
    AppendHex(shown, last);
    text.remove_prefix(control->offset + control->length);
  }
  shown += text;
  return Shortened(std::move(shown));
}

std::string Quoted(std::string_view text) {
  return '"' + Escaped(text) + '"';
}

std::string HexBytes(ByteView bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    if (!text.empty()) {
      text += ' ';
    }
    AppendHex(text, byte);
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
