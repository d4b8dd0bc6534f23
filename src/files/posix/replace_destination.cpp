// Following the symbolic links of a path to be read or replaced, and keeping
// the replaced file's owner and mode.
#include "files/posix/replace_destination.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/error.h"
#include "files/posix/posix_paths.h"

namespace sprite::files {
namespace {

// As many symbolic links in a row as the kernel follows before it gives up.
constexpr int kMaxLinksFollowed = 40;

FaultError CallFailed(Use use, const std::string& path, int error) {
  return use == Use::kReading ? ReadFailed(path, error) : WriteFailed(path, error);
}

// The kernel's rules for shared folders: in a sticky, world-writable folder, a
// link is followed, and a file opened for writing, only when it belongs to
// this user or to the folder's owner. Otherwise anyone could plant
// /tmp/x -> /etc/shadow for a privileged run to read or write through, or a
// file of their own for it to fill. Returns the folder when `owner` fails the rule.
std::optional<std::string> SharedFolderOfAnother(Use use, const std::string& path,
                                                 const std::string& entry, uid_t owner) {
  static const uid_t self = ::geteuid();
  if (owner == self) {
    return std::nullopt;
  }
  std::string folder = FolderOf(entry);
  struct stat folderInfo {};
  if (::stat(folder.c_str(), &folderInfo) != 0) {
    throw CallFailed(use, path, errno);
  }
  const bool shared = (folderInfo.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
  if (shared && owner != folderInfo.st_uid) {
    return folder;
  }
  return std::nullopt;
}

std::string ReadLink(Use use, const std::string& path, const std::string& link, off_t sizeHint) {
  std::string target(static_cast<std::size_t>(std::max<off_t>(sizeHint, 64)) + 1, '\0');
  for (;;) {
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length < 0) {
      throw CallFailed(use, path, errno);
    }
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);  // the link changed since it was looked at
  }
}

// A name that ends in "/" is a folder's: said of the folder there, or of what
// stands in its place.
FaultError NotAFileByName(const std::string& path, const std::string& name, Use use) {
  struct stat info {};
  const int error = ::stat(name.c_str(), &info) == 0 ? 0 : errno;
  const std::string folder = name.substr(0, name.find_last_not_of('/') + 1);
  if (error == ENOENT && use == Use::kReading) {
    return ReadFailed(path, error);
  }
  if (error == ENOENT) {
    return FaultError({.kind = FaultKind::kNoSuchFolder, .path = path, .text = folder});
  }
  if (error == ENOTDIR) {
    return FaultError({.kind = FaultKind::kNotAFolder, .path = path, .text = folder});
  }
  return FaultError({.kind = FaultKind::kNotAPlainFile, .path = path, .text = "a folder"});
}

}  // namespace

Destination Resolve(const std::string& path, Use use) {
  std::string current = path;
  for (int followed = 0;; ++followed) {
    if (current.empty() || current.back() == '/') {
      throw NotAFileByName(path, current, use);
    }
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      // The links of /proc (/dev/stdin, /dev/fd/1) lead to "pipe:[…]" and
      // the like, no path at all: the kernel tells what is there.
      const int error = errno;
      if (current != path && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        throw NotAFile(path, info.st_mode, "");
      }
      errno = error;
      if (use == Use::kReading) {
        throw ReadFailed(path, errno);
      }
      if (errno == ENOENT) {
        return {current, std::nullopt};
      }
      throw FolderFailed(path, FolderOf(current), errno);
    }
    if (S_ISREG(info.st_mode)) {
      if (use == Use::kReplacing) {
        if (auto folder = SharedFolderOfAnother(use, path, current, info.st_uid)) {
          throw FaultError(
              {.kind = FaultKind::kOthersFileNotReplaced, .path = path, .text = *folder});
        }
      }
      return {current, info};
    }
    if (!S_ISLNK(info.st_mode)) {
      throw NotAFile(path, info.st_mode, current == path ? "" : current);
    }
    if (followed == kMaxLinksFollowed) {
      throw CallFailed(use, path, ELOOP);
    }
    if (auto folder = SharedFolderOfAnother(use, path, current, info.st_uid)) {
      throw FaultError({.kind = FaultKind::kLinkNotFollowed, .path = path, .text = *folder});
    }
    const std::string target = ReadLink(use, path, current, info.st_size);
    current = target.starts_with('/') ? target : FolderPrefix(current) + target;
  }
}

void KeepOwnerAndMode(int fd, const std::string& path, const struct stat& old) {
  // Each change is a write to the file system's journal: only what differs is
  // changed (a user's own files, replaced by the thousand, need neither).
  struct stat made {};
  if (::fstat(fd, &made) != 0) {
    throw WriteFailed(path, errno);
  }
  const bool sameOwner = (made.st_uid == old.st_uid && made.st_gid == old.st_gid) ||
                         ::fchown(fd, old.st_uid, old.st_gid) == 0;
  if (!sameOwner && made.st_gid != old.st_gid &&
      ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    // Not a member of the old file's group either: the new file keeps this
    // process's group, as any file it makes there would.
  }
  const mode_t mode = old.st_mode & (sameOwner ? 07777 : 0777);
  if ((made.st_mode & 07777) != mode && ::fchmod(fd, mode) != 0) {
    throw WriteFailed(path, errno);
  }
}

}  // namespace sprite::files
