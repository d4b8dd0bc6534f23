// Conversions between the platform layer's 8-bit text (UTF-8) and Qt's strings.
#pragma once

#include <QtCore/QString>
#include <string>
#include <string_view>

#include "common/utf16.h"

namespace sprite::winsys::qt {

// A path is bytes on Linux: one that is not UTF-8 keeps its bytes through a
// control (shown as unknown characters), so that it still names its file.
inline QString FromUtf8(std::string_view text) {
  const std::u16string units = EscapedUtf16FromBytes(text);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

inline std::string ToUtf8(const QString& text) {
  return BytesFromEscapedUtf16(std::u16string_view(
      reinterpret_cast<const char16_t*>(text.constData()), static_cast<std::size_t>(text.size())));
}

}  // namespace sprite::winsys::qt
