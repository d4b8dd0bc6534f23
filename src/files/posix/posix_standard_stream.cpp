// The standard streams are descriptors 0, 1 and 2.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/standard_stream.h"

namespace sprite::files {

std::optional<FileId> IdOfStandardStream(StandardStream stream) {
  struct stat info {};
  if (::fstat(static_cast<int>(stream), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

StandardStreamsAtStart SecureStandardStreams() {
  const auto usable = [](int fd, bool forWriting) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_ACCMODE) != (forWriting ? O_RDONLY : O_WRONLY);
  };
  const StandardStreamsAtStart found{usable(STDIN_FILENO, false), usable(STDOUT_FILENO, true),
                                     usable(STDERR_FILENO, true)};
  // Each open takes the lowest free descriptor: the null device fills the
  // closed ones among 0 to 2, and the first above them is closed again.
  for (;;) {
    const int fd = ::open("/dev/null", O_RDWR);
    if (fd < 0) {
      break;
    }
    if (fd > STDERR_FILENO) {
      ::close(fd);
      break;
    }
  }
  return found;
}

bool ReaderWentAway(StandardStream, int error) {
  return error == EPIPE;
}

bool IsTerminal(StandardStream stream) {
  return ::isatty(static_cast<int>(stream)) != 0;
}

}  // namespace sprite::files
