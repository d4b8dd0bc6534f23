#include "winsys/emulated/file_title.h"

#include <algorithm>
#include <limits>

namespace sprite::winsys {

std::int16_t GetFileTitleOf(const std::string& file, std::string& buffer, std::uint16_t capacity) {
  const std::size_t slash = file.find_last_of('/');
  const std::string title = slash == std::string::npos ? file : file.substr(slash + 1);
  if (title.empty() || title.find('\0') != std::string::npos) {
    return -1;
  }
  const std::size_t needed = title.size() + 1;
  if (needed > capacity || needed > buffer.size()) {
    return static_cast<std::int16_t>(
        std::min<std::size_t>(needed, std::numeric_limits<std::int16_t>::max()));
  }
  std::copy(title.begin(), title.end(), buffer.begin());
  buffer[title.size()] = '\0';
  return 0;
}

}  // namespace sprite::winsys
