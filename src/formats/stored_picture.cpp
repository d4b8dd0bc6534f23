#include "formats/stored_picture.h"

#include <algorithm>

namespace sprite::formats {

void TurnStoredRows(std::int32_t height, std::uint32_t width, std::span<std::uint8_t> rows) {
  if (height >= 0 || width == 0) {
    return;
  }
  std::size_t top = 0;
  std::size_t bottom = rows.size() / width;
  // Swaps the outermost rows inwards, a row at a time.
  while (bottom > top + 1) {
    --bottom;
    std::swap_ranges(rows.begin() + static_cast<std::ptrdiff_t>(top * width),
                     rows.begin() + static_cast<std::ptrdiff_t>((top + 1) * width),
                     rows.begin() + static_cast<std::ptrdiff_t>(bottom * width));
    ++top;
  }
}

}  // namespace sprite::formats
