// What a write to a path replaces: symbolic links followed as the kernel
// follows them, and the owner and mode the replacement takes over.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>

namespace sprite::files {

// The final target of the symbolic links at a path's last component, and the
// regular file standing there, if any.
struct Destination {
  std::string path;
  std::optional<struct stat> existing;
};

// Follows symbolic links at the last component as opening the path would, and
// throws FaultError for whatever is not a regular file or a place for a new one,
// and for a link the kernel's rule for shared folders would not follow.
Destination Resolve(const std::string& path);

// The replacement takes over the old file's owner and group where the process
// may give them, then its permission bits; set-user-ID and set-group-ID stay
// only when the owner and group stayed too. FaultError when the bits cannot be set.
void KeepOwnerAndMode(int fd, const std::string& path, const struct stat& old);

}  // namespace sprite::files
