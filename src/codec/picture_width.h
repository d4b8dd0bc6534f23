// The one rule for a picture's width: a picture has rows only with a width of
// at least 1 pixel.
#pragma once

#include <cstdint>

namespace sprite::codec {

constexpr bool HasRows(std::int32_t width) {
  return width >= 1;
}

// Throws FaultError (kWidthWithoutRows) unless the width has rows.
void CheckWidth(std::int32_t width);

}  // namespace sprite::codec
