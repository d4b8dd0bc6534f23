// How paths and bytes are shown in messages, the same way in every message.
#pragma once

#include <concepts>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/bytes.h"

namespace sprite {

// Where `text` holds a control character, which a terminal may act on rather
// than show: a byte below 0x20, DEL (0x7F), or U+0080 to U+009F in UTF-8.
// Returns the offset of the first one and its length in bytes (1 or 2).
struct ControlCharacter {
  std::size_t offset;
  std::size_t length;
};
std::optional<ControlCharacter> FindControlCharacter(std::string_view text);

// `text` with each control character written as \xNN (a C1 character as
// \u0080 to \u009F), so that a name or a line from a file reaches a terminal or
// a window as characters and nothing in it moves a cursor, starts an escape
// sequence or ends the message early: "a\x1B[2Jb". Text longer than a
// message can show (more than 2 × kShownEnds + 1 characters, as an overlong
// list line) is shown by its first and last kShownEnds characters around "…".
inline constexpr std::size_t kShownEnds = 100;
std::string Escaped(std::string_view text);

// `text` between double quotes, control characters escaped: a path or a name
// inside a sentence.
std::string Quoted(std::string_view text);

// A count and its noun, the noun singular for exactly one: "1 byte",
// "0 bytes", "12 entries".
template <std::integral Count>
std::string Counted(Count count, std::string_view one, std::string_view many) {
  return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

// Bytes as hexadecimal pairs with a space between them: "53 50 01 02".
std::string HexBytes(ByteView bytes);

// Bytes as hexadecimal pairs and then as characters, "." for those that do not
// print: 78 78 01 78 ("xx.x").
std::string HexAndShown(ByteView bytes);

}  // namespace sprite
