// The folder of a path, and the words for paths that cannot be used.
#include "files/posix/posix_paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace sprite::files {

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

std::string NotAFile(mode_t mode) {
  if (S_ISDIR(mode)) {
    return "it is a folder, not a file";
  }
  if (S_ISFIFO(mode)) {
    return "it is a named pipe (FIFO), not a file";
  }
  if (S_ISCHR(mode) || S_ISBLK(mode)) {
    return "it is a device, not a file";
  }
  if (S_ISSOCK(mode)) {
    return "it is a socket, not a file";
  }
  return "it is not a regular file";
}

std::string FolderReason(const std::string& folder, int error) {
  if (error == ENOENT) {
    return "the folder " + folder + " does not exist";
  }
  if (error == ENOTDIR) {
    return folder + " is not a folder";
  }
  return SystemReason(error);
}

}  // namespace sprite::files
