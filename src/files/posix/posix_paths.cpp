// The folder of a path, and the faults of paths that cannot be used.
#include "files/posix/posix_paths.h"

#include <linux/magic.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "common/text.h"

namespace sprite::files {
namespace {

std::string WhatStandsThere(mode_t mode) {
  if (S_ISDIR(mode)) {
    return "a folder";
  }
  if (S_ISFIFO(mode)) {
    return "a named pipe (FIFO)";
  }
  if (S_ISCHR(mode) || S_ISBLK(mode)) {
    return "a device";
  }
  if (S_ISSOCK(mode)) {
    return "a socket";
  }
  return "something other than a regular file";
}

}  // namespace

bool SyncsEverything(unsigned long fileSystemType) {
  switch (fileSystemType) {
    case EXT4_SUPER_MAGIC:  // ext2, ext3 and ext4 alike
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
      return true;
    default:
      return false;
  }
}

std::string SystemReason(int error) {
  return std::strerror(error);
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FolderPrefix(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

FaultError NotAFile(const std::string& path, mode_t mode, const std::string& target) {
  std::string what = WhatStandsThere(mode);
  if (!target.empty()) {
    what += " (" + target + ")";
  }
  return FaultError({.kind = FaultKind::kNotAPlainFile, .path = path, .text = std::move(what)});
}

FaultError ReadFailed(const std::string& path, int error) {
  if (error == ENOENT) {
    return FaultError({.kind = FaultKind::kNoSuchFile, .path = path});
  }
  return FaultError({.kind = FaultKind::kCannotRead, .path = path, .text = SystemReason(error)});
}

FaultError WriteFailed(const std::string& path, int error) {
  return FaultError({.kind = FaultKind::kCannotWrite, .path = path, .text = SystemReason(error)});
}

FaultError FolderFailed(const std::string& path, const std::string& folder, int error) {
  struct stat info {};
  if (error == ENOENT && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    // Special file systems such as /proc answer so for a file they do not make.
    return FaultError({.kind = FaultKind::kCannotWrite,
                       .path = path,
                       .text = "no new file can be made in the folder " + Escaped(folder)});
  }
  if (error == ENOENT) {
    return FaultError({.kind = FaultKind::kNoSuchFolder, .path = path, .text = folder});
  }
  if (error == ENOTDIR) {
    return FaultError({.kind = FaultKind::kNotAFolder, .path = path, .text = folder});
  }
  return WriteFailed(path, error);
}

}  // namespace sprite::files
