// Reading an open file by offset, EINTR retried.
#include "files/posix/posix_source.h"

#include <unistd.h>

#include <cerrno>

#include "common/error.h"
#include "files/posix/posix_paths.h"

namespace sprite::files {

void PosixSource::ReadFully(std::uint64_t offset, std::span<std::uint8_t> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got =
        ::pread(fd_.Get(), out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      throw ReadFailed(Path(), errno);
    }
    if (got == 0) {
      EndedEarly(offset, done);
    }
    done += static_cast<std::size_t>(got);
  }
}

}  // namespace sprite::files
