// UTF-8 inside, UTF-16 where a system takes it (Windows).
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace sprite {

// UTF-16 of UTF-8 text. A byte that starts no valid character becomes U+FFFD;
// a surrogate encoded in three bytes (as Utf8FromUtf16 writes a lone one)
// comes back as that surrogate, so that any name the system gives round-trips.
std::u16string Utf16FromUtf8(std::string_view text);

// UTF-8 of UTF-16 text. A lone surrogate, which Windows allows in file names,
// is written as its own three bytes instead of being lost.
std::string Utf8FromUtf16(std::u16string_view text);

// A name's bytes where a system keeps names as bytes (Linux), for a toolkit
// that keeps text in UTF-16: valid UTF-8 as Utf16FromUtf8 makes it, and any
// other byte as the lone surrogate U+DC00 + byte, which BytesFromEscapedUtf16
// turns back into that byte. Any bytes round-trip, so a file whose name is not
// UTF-8 (a Latin-1 é) is still named after its text passed through a control.
std::u16string EscapedUtf16FromBytes(std::string_view bytes);
std::string BytesFromEscapedUtf16(std::u16string_view text);

// The same in the Windows calls' own characters: wchar_t, 16 bits there. The
// one place Windows code turns text either way. Templates, so that they are
// made only where wchar_t is 16 bits.
template <typename Char = wchar_t>
requires(sizeof(Char) == sizeof(char16_t)) std::basic_string<Char> Wide(std::string_view text) {
  const std::u16string wide = Utf16FromUtf8(text);
  return std::basic_string<Char>(wide.begin(), wide.end());
}

template <typename Char = wchar_t>
requires(sizeof(Char) == sizeof(char16_t)) std::string
    Narrow(std::type_identity_t<std::basic_string_view<Char>> text) {
  return Utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

}  // namespace sprite
