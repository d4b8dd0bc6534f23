#pragma once

#include <cstdint>
#include <string>

namespace sprite::winsys {

// GetFileTitleA on a system without the common dialog library: the title of a
// path is its last component. Writes it and a NUL to the start of `buffer`
// (which holds `capacity` bytes) and returns 0; returns the capacity needed when
// it does not fit, and -1 for a path that names no file (empty, or ending in "/").
std::int16_t GetFileTitleOf(const std::string& file, std::string& buffer, std::uint16_t capacity);

}  // namespace sprite::winsys
