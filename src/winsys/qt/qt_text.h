// Conversions between the platform layer's 8-bit text (UTF-8) and Qt's strings.
#pragma once

#include <QtCore/QString>
#include <algorithm>
#include <string>
#include <string_view>

#include "common/utf16.h"

namespace sprite::winsys::qt {

// A path is bytes on Linux: one that is not UTF-8 keeps its bytes through a
// control (shown as unknown characters), so that it still names its file.
// Text of ASCII alone, every log line and most names, goes Qt's quick way.
inline QString FromUtf8(std::string_view text) {
  if (std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  }
  const std::u16string units = EscapedUtf16FromBytes(text);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

inline std::string ToUtf8(const QString& text) {
  const std::u16string_view units(reinterpret_cast<const char16_t*>(text.constData()),
                                  static_cast<std::size_t>(text.size()));
  if (std::ranges::all_of(units, [](char16_t unit) { return unit < 0x80; })) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  return BytesFromEscapedUtf16(units);
}

}  // namespace sprite::winsys::qt
