// The one rule for a picture's width, and its one message: a picture has rows
// only with a width of at least 1 pixel.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sprite::codec {

constexpr bool HasRows(std::int32_t width) {
  return width >= 1;
}

// "`subject` is `width`; a picture needs a width of at least 1 pixel".
std::string WidthWithoutRows(std::string_view subject, std::int32_t width);

// Throws InvalidArgumentError saying WidthWithoutRows("the width", width)
// unless the width has rows.
void CheckWidth(std::int32_t width);

}  // namespace sprite::codec
