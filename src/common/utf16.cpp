#include "common/utf16.h"

#include <cstdint>

namespace sprite {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The character at `at` and its length in bytes; U+FFFD and 1 for a byte that
// starts no well-formed character (overlong forms and values past U+10FFFF
// included).
std::pair<char32_t, std::size_t> Decode(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    return {lead, 1};
  }
  std::size_t length = 0;
  char32_t value = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    value = lead & 0x1F;
    smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    value = lead & 0x0F;
    smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    value = lead & 0x07;
    smallest = 0x10000;
  } else {
    return {kReplacement, 1};
  }
  if (text.size() - at < length) {
    return {kReplacement, 1};
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[at + i]);
    if (!IsContinuation(byte)) {
      return {kReplacement, 1};
    }
    value = (value << 6) | (byte & 0x3F);
  }
  if (value < smallest || value > 0x10FFFF) {
    return {kReplacement, 1};
  }
  return {value, length};
}

void Encode(char32_t value, std::string& out) {
  if (value < 0x80) {
    out.push_back(static_cast<char>(value));
  } else if (value < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (value >> 6)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else if (value < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (value >> 12)));
    out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (value >> 18)));
    out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  }
}

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool IsSurrogate(char32_t unit) {
  return IsHighSurrogate(unit) || IsLowSurrogate(unit);
}

// The UTF-16 of `text`; with `escapeBytes`, a byte that starts no valid
// character, or a surrogate's three bytes, becomes U+DC00 + each byte.
std::u16string Utf16Of(std::string_view text, bool escapeBytes) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    auto [value, length] = Decode(text, at);
    if (escapeBytes && ((value == kReplacement && length == 1) || IsSurrogate(value))) {
      value = 0xDC00 + static_cast<unsigned char>(text[at]);
      length = 1;
    }
    at += length;
    if (value < 0x10000) {
      out.push_back(static_cast<char16_t>(value));
    } else {
      const char32_t above = value - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (above >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (above & 0x3FF)));
    }
  }
  return out;
}

// The UTF-8 of `text`; with `escapeBytes`, a lone U+DC80 to U+DCFF is the byte
// it stands for.
std::string Utf8Of(std::u16string_view text, bool escapeBytes) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char32_t unit = text[at];
    if (IsHighSurrogate(unit) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
      Encode(0x10000 + ((unit - 0xD800) << 10) + (text[at + 1] - 0xDC00), out);
      ++at;
    } else if (escapeBytes && unit >= 0xDC80 && unit <= 0xDCFF) {
      out.push_back(static_cast<char>(unit - 0xDC00));
    } else {
      Encode(unit, out);
    }
  }
  return out;
}

}  // namespace

std::u16string Utf16FromUtf8(std::string_view text) {
  return Utf16Of(text, false);
}

std::string Utf8FromUtf16(std::u16string_view text) {
  return Utf8Of(text, false);
}

std::u16string EscapedUtf16FromBytes(std::string_view bytes) {
  return Utf16Of(bytes, true);
}

std::string BytesFromEscapedUtf16(std::u16string_view text) {
  return Utf8Of(text, true);
}

}  // namespace sprite
