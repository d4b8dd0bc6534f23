// What a path to be read or replaced leads to: symbolic links followed as the
// kernel follows them, the rules for shared sticky folders, and the owner and
// mode a replacement takes over.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

namespace sprite::files {

// The final target of the symbolic links at a path's last component, and the
// regular file standing there, if any.
struct Destination {
  std::string path;
  std::optional<struct stat> existing;
};

// What a path is followed for: the faults of the calls differ in kind.
enum class Use : std::uint8_t { kReading, kReplacing };

// Follows symbolic links at the last component as opening the path would, and
// throws FaultError for whatever is not a regular file or (when replacing) a
// place for a new one, and for a link the kernel's rule for shared folders
// would not follow. When replacing, a regular file of another user in a shared
// folder is refused too, as the kernel's rule for such files would refuse
// opening it for writing. When reading, nothing at the end is kNoSuchFile.
Destination Resolve(const std::string& path, Use use);

// The replacement takes over the old file's owner and group where the process
// may give them, then its permission bits; set-user-ID and set-group-ID stay
// only when the owner and group stayed too. FaultError when the bits cannot be set.
void KeepOwnerAndMode(int fd, const std::string& path, const struct stat& old);

}  // namespace sprite::files
