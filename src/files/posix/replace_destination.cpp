// Following the symbolic links of a path to be replaced, and keeping the
// replaced file's owner and mode.
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

// The kernel's rule for links in shared folders: a link in a sticky,
// world-writable folder is followed only when it belongs to this user or to the
// folder's owner. Otherwise anyone could plant /tmp/x -> /etc/shadow for a
// privileged run to write through.
void CheckMayFollow(const std::string& path, const std::string& link, const struct stat& linkInfo) {
  const std::string folder = FolderOf(link);
  struct stat folderInfo {};
  if (::stat(folder.c_str(), &folderInfo) != 0) {
    throw WriteFailed(path, errno);
  }
  const bool shared = (folderInfo.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
  if (shared && linkInfo.st_uid != ::geteuid() && linkInfo.st_uid != folderInfo.st_uid) {
    throw FaultError({.kind = FaultKind::kLinkNotFollowed, .path = path, .text = folder});
  }
}

std::string ReadLink(const std::string& path, const std::string& link, off_t sizeHint) {
  std::string target(static_cast<std::size_t>(std::max<off_t>(sizeHint, 64)) + 1, '\0');
  for (;;) {
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length < 0) {
      throw WriteFailed(path, errno);
    }
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);  // the link changed since it was looked at
  }
}

}  // namespace

Destination Resolve(const std::string& path) {
  std::string current = path;
  for (int followed = 0;; ++followed) {
    if (current.empty() || current.back() == '/') {
      throw FaultError({.kind = FaultKind::kNotAPlainFile, .path = path, .text = "a folder"});
    }
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno == ENOENT) {
        return {current, std::nullopt};
      }
      throw FolderFailed(path, FolderOf(current), errno);
    }
    if (S_ISREG(info.st_mode)) {
      return {current, info};
    }
    if (!S_ISLNK(info.st_mode)) {
      throw NotAFile(path, info.st_mode, current == path ? "" : current);
    }
    if (followed == kMaxLinksFollowed) {
      throw WriteFailed(path, ELOOP);
    }
    CheckMayFollow(path, current, info);
    const std::string target = ReadLink(path, current, info.st_size);
    current = target.starts_with('/') ? target : FolderPrefix(current) + target;
  }
}

void KeepOwnerAndMode(int fd, const std::string& path, const struct stat& old) {
  const bool sameOwner = ::fchown(fd, old.st_uid, old.st_gid) == 0;
  if (!sameOwner) {
    static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
  }
  if (::fchmod(fd, old.st_mode & (sameOwner ? 07777 : 0777)) != 0) {
    throw WriteFailed(path, errno);
  }
}

}  // namespace sprite::files
