#include "files/posix/stale_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "files/posix/descriptor.h"
#include "files/posix/posix_paths.h"

namespace sprite::files {
namespace {

constexpr std::string_view kPrefix = ".sprite-";
constexpr std::string_view kSuffix = ".tmp";

bool AllDigits(std::string_view text) {
  return !text.empty() && text.size() <= 10 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// File systems of one machine's disks (and memory), whose locks every writer
// of the folder sees; the rest, network and FUSE file systems among them,
// are not swept.
bool LocksSeenByEveryWriter(int folder) {
  struct statfs info {};
  if (::fstatfs(folder, &info) != 0) {
    return false;
  }
  const auto type = static_cast<unsigned long>(info.f_type);
  // FAT of memory cards and USB sticks besides.
  return SyncsEverything(type) || type == MSDOS_SUPER_MAGIC || type == EXFAT_SUPER_MAGIC;
}

void RemoveIfStale(int folder, const char* name) {
  Descriptor file(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat opened {};
  if (file.Get() < 0 || ::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
      opened.st_uid != ::geteuid() || ::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
    return;  // not ours, or its writer still holds it
  }
  // Still the file opened: a name freed and taken again meanwhile is a new
  // writer's, which locks its file before it relies on the name.
  struct stat named {};
  if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
      named.st_ino == opened.st_ino) {
    ::unlinkat(folder, name, 0);
  }
}

}  // namespace

std::string TemporaryName(const std::string& folder, std::uint32_t serial) {
  // Short, so that a target name of up to 255 bytes still leaves room for it.
  static const std::string process = std::to_string(::getpid());
  return folder + "/" + std::string(kPrefix) + process + "-" + std::to_string(serial) +
         std::string(kSuffix);
}

bool IsTemporaryName(std::string_view fileName) {
  if (!fileName.starts_with(kPrefix) || !fileName.ends_with(kSuffix)) {
    return false;
  }
  const std::string_view middle =
      fileName.substr(kPrefix.size(), fileName.size() - kPrefix.size() - kSuffix.size());
  const std::size_t dash = middle.find('-');
  return dash != std::string_view::npos && AllDigits(middle.substr(0, dash)) &&
         AllDigits(middle.substr(dash + 1));
}

void LockWhileWritten(int fd) noexcept {
  while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
}

bool RemoveStaleTemporaries(const std::string& folder) noexcept {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  Descriptor opened(fd);
  if (!LocksSeenByEveryWriter(fd)) {
    return false;
  }
  // The listing reads through a descriptor of its own, closed with it.
  DIR* listing = ::fdopendir(::dup(fd));
  if (listing == nullptr) {
    return true;
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (IsTemporaryName(entry->d_name)) {
      RemoveIfStale(fd, entry->d_name);
    }
  }
  ::closedir(listing);
  return true;
}

}  // namespace sprite::files
