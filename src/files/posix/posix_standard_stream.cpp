// The standard streams are descriptors 0, 1 and 2.
#include <sys/stat.h>
#include <unistd.h>

#include "files/standard_stream.h"

namespace sprite::files {

std::optional<FileId> IdOfStandardStream(StandardStream stream) {
  struct stat info {};
  if (::fstat(static_cast<int>(stream), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace sprite::files
