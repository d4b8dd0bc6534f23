// std::filesystem paths from and to UTF-8 text. A path made from a std::string
// takes the bytes in the system's narrow code page, which on Windows is not
// UTF-8; char8_t text is UTF-8 everywhere.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sprite {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace sprite
