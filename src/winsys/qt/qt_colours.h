// Conversions between the platform layer's colour values and Qt's colours.
#pragma once

#include <QtGui/QColor>
#include <cstdint>

namespace sprite::winsys::qt {

// Red in the low byte, then green, then blue.
inline std::uint32_t ToColourRef(const QColor& colour) {
  return static_cast<std::uint32_t>(colour.red()) |
         (static_cast<std::uint32_t>(colour.green()) << 8) |
         (static_cast<std::uint32_t>(colour.blue()) << 16);
}

inline QColor FromColourRef(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace sprite::winsys::qt
