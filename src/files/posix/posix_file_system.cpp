// Files through POSIX calls: regular files only, read by offset, written in
// place of their targets, and the folders of new names synced.
#include "files/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <utility>

#include "common/error.h"
#include "common/utf8_path.h"
#include "files/native_file_system.h"
#include "files/posix/descriptor.h"
#include "files/posix/posix_paths.h"
#include "files/posix/posix_replacing_file.h"
#include "files/posix/posix_source.h"

namespace sprite::files {

bool PosixFileSystem::Exists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

std::optional<FileId> PosixFileSystem::IdOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) {
    return std::nullopt;
  }
  return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::string PosixFileSystem::FullPath(const std::string& path) {
  std::error_code noFolder;
  const std::filesystem::path given = PathFromUtf8(path);
  const std::filesystem::path full =
      given.is_absolute() ? given : std::filesystem::current_path(noFolder) / given;
  return Utf8FromPath(full.lexically_normal());
}

bool PosixFileSystem::IsPlainFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::unique_ptr<ByteSource> PosixFileSystem::OpenForReading(const std::string& path) {
  if (path.empty()) {
    throw FaultError({.kind = FaultKind::kNoFileName});
  }
  // Opening a pipe waits for a writer and opening a device may act on it: what
  // is not a regular file is refused before it is opened.
  struct stat before {};
  if (::stat(path.c_str(), &before) != 0) {
    throw ReadFailed(path, errno);
  }
  if (!S_ISREG(before.st_mode)) {
    throw NotAFile(path, before.st_mode);
  }
  // Not blocking, in case a pipe took the file's place since: a regular file
  // reads the same either way.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    throw ReadFailed(path, errno);
  }
  Descriptor guard(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    throw ReadFailed(path, errno);
  }
  if (!S_ISREG(info.st_mode)) {
    throw NotAFile(path, info.st_mode);
  }
  const auto size = static_cast<std::uint64_t>(info.st_size);
  return std::make_unique<PosixSource>(path, guard.Release(), size);
}

std::unique_ptr<ReplacingFile> PosixFileSystem::CreateReplacing(const std::string& path) {
  return CreatePosixReplacingFile(path, foldersToSync_);
}

void PosixFileSystem::SyncFolders() {
  const std::set<std::string> folders = std::exchange(foldersToSync_, {});
  for (const std::string& folder : folders) {
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0) {
      throw WriteFailed(folder, errno);
    }
    // Some file systems cannot sync a folder; they say so with EINVAL.
    if (::fsync(fd.Get()) != 0 && errno != EINVAL && errno != EROFS) {
      throw WriteFailed(folder, errno);
    }
  }
}

void PosixFileSystem::Delete(const std::string& path) noexcept {
  ::unlink(path.c_str());
}

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace sprite::files
