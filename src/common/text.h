// How paths and bytes are shown in messages, the same way in every message.
#pragma once

#include <string>
#include <string_view>

#include "common/bytes.h"

namespace sprite {

// `text` between double quotes: a path or a name inside a sentence.
std::string Quoted(std::string_view text);

// Text from a file as a message may show it: a control character (a NUL,
// an escape, a line end; also one of the C1 range in UTF-8) becomes "\x1B"
// or "\u009B", so that nothing in it moves a terminal's cursor, starts an
// escape sequence or ends the message early. Other bytes stay as they are.
std::string Escaped(std::string_view text);

// Bytes as hexadecimal pairs with a space between them: "53 50 01 02".
std::string HexBytes(ByteView bytes);

// Bytes as hexadecimal pairs and then as characters, "." for those that do not
// print: 78 78 01 78 ("xx.x").
std::string HexAndShown(ByteView bytes);

}  // namespace sprite
