// std::filesystem paths from and to UTF-8 text. A path made from a std::string
// takes the bytes in the system's narrow code page, which on Windows is not
// UTF-8; char8_t text is UTF-8 everywhere.
#pragma once

#include <cstddef>
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

// The path of `name` in `folder` as a person on this system writes it. On
// Windows the name is joined with the separator the folder already uses, a
// backslash for a folder that names none, and nothing is put after a folder that ends in
// either separator or in a drive's colon ("C:" is the current folder of C:).
// Elsewhere "/" is the one separator.
inline std::string PathInFolder(std::string_view folder, std::string_view name) {
  constexpr bool kBackslashes = std::filesystem::path::preferred_separator == '\\';
  std::string path(folder);
  if (!path.empty() && path.back() != '/') {
    if (!kBackslashes) {
      path += '/';
    } else if (path.back() != '\\' && !(path.size() == 2 && path.back() == ':')) {
      const std::size_t used = path.find_last_of("/\\");
      path += used == std::string::npos ? '\\' : path[used];
    }
  }
  return path.append(name);
}

// A path as Windows names its file: without the dots and blanks that end it
// ("t.spr." is t.spr), unless its last name is all dots ("." and ".."), so
// that names made from it are the file's. Elsewhere they are part of the name.
inline std::string PathAsNamed(std::string path) {
  if (std::filesystem::path::preferred_separator != '\\') {
    return path;
  }
  const std::size_t last = path.find_last_of("/\\:") + 1;
  std::size_t end = path.size();
  while (end > last && (path[end - 1] == '.' || path[end - 1] == ' ')) {
    --end;
  }
  if (path.find_first_not_of('.', last) < end) {
    path.resize(end);
  }
  return path;
}

}  // namespace sprite
