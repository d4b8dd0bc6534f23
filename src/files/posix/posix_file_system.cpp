// Files through POSIX calls: regular files only, read by offset, written in
// place of their targets, and the folders of new names synced.
#include "files/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <utility>

#include "common/error.h"
#include "common/utf8_path.h"
#include "files/native_file_system.h"
#include "files/posix/descriptor.h"
#include "files/posix/posix_paths.h"
#include "files/posix/posix_replacing_file.h"
#include "files/posix/posix_source.h"
#include "files/posix/replace_destination.h"

namespace sprite::files {

namespace {

// A looked-at file is sought this far past the next one: a run looks at its
// archive too, and may skip a file it no longer needs.
constexpr std::size_t kLookAhead = 4;

// The most looked-at files kept (768 KiB), one for each picture an archive
// can hold; a run of more looks at the rest again as it opens them.
constexpr std::size_t kMostLookedAt = 32767;

// Each file waiting in a batch holds a descriptor: a quarter of the process's
// limit at most, which leaves the window and its run plenty, and no more than
// this, beyond which a larger batch saves no more waits.
constexpr std::size_t kMostFilesPerBatch = 1024;

// Opens the regular file `path` that a look just found, not following a link
// that took its place meanwhile, and not waiting for a pipe that did.
std::unique_ptr<ByteSource> OpenLookedAt(const std::string& path, const std::string& shown,
                                         std::uint64_t size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
  if (fd < 0) {
    throw ReadFailed(shown, errno);
  }
  return std::make_unique<PosixSource>(shown, fd, size);
}

// Opens again the regular file `path` that a look found before, with its size
// now, which may have changed since; nothing when it is no longer a regular
// file reached without a link, for a new look to say why.
std::unique_ptr<ByteSource> OpenAgain(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
  if (fd < 0) {
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixSource>(path, fd, static_cast<std::uint64_t>(info.st_size));
}

FileId IdOfLooked(const struct stat& info) {
  return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

PosixFileSystem::PosixFileSystem(DiskCalls disk, NewFiles newFiles) {
  context_.disk = disk;
  context_.unnamedFiles = newFiles == NewFiles::kUnnamedWherePossible && UnnamedFilesCanBeNamed();
}

bool PosixFileSystem::Exists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

std::optional<FileId> PosixFileSystem::IdOf(const std::string& path) {
  if (const LookedAt* known = FindLookedAt(path, nextIdentified_)) {
    return FileId{known->device, known->file};
  }
  struct stat info {};
  if (path.empty() || ::lstat(path.c_str(), &info) != 0) {
    return std::nullopt;
  }
  if (!S_ISLNK(info.st_mode)) {
    Remember(path, info);
  } else if (::stat(path.c_str(), &info) != 0) {
    return std::nullopt;
  }
  return IdOfLooked(info);
}

std::optional<WritePlace> PosixFileSystem::PlaceOf(const std::string& path) {
  std::optional<Destination> destination;
  try {
    destination = Resolve(path, Use::kReplacing);
  } catch (const FaultError&) {
    return std::nullopt;  // the write will say why
  }
  struct stat folder {};
  if (::stat(FolderOf(destination->path).c_str(), &folder) != 0) {
    return std::nullopt;
  }
  WritePlace place{IdOfLooked(folder),
                   destination->path.substr(FolderPrefix(destination->path).size()), std::nullopt};
  if (destination->existing) {
    place.file = IdOfLooked(*destination->existing);
  }
  return place;
}

void PosixFileSystem::Remember(const std::string& path, const struct stat& info) {
  // `info` is from a look that followed no link: the open follows none either.
  constexpr auto kMost32 = std::numeric_limits<std::uint32_t>::max();
  if (S_ISREG(info.st_mode) && lookedAt_.size() < kMostLookedAt &&
      static_cast<std::uint64_t>(info.st_size) <= kMost32 &&
      static_cast<std::uint64_t>(info.st_dev) <= kMost32) {
    lookedAt_.push_back({std::hash<std::string>{}(path), static_cast<std::uint64_t>(info.st_ino),
                         static_cast<std::uint32_t>(info.st_size),
                         static_cast<std::uint32_t>(info.st_dev)});
  }
}

const PosixFileSystem::LookedAt* PosixFileSystem::FindLookedAt(const std::string& path,
                                                               std::size_t& cursor) const {
  const std::size_t hash = std::hash<std::string>{}(path);
  const std::size_t end = std::min(lookedAt_.size(), cursor + kLookAhead);
  for (std::size_t i = cursor; i < end; ++i) {
    if (lookedAt_[i].pathHash == hash) {
      cursor = i + 1;
      return &lookedAt_[i];
    }
  }
  return nullptr;
}

PosixFileSystem::ToOpen PosixFileSystem::FindToOpen(const std::string& path) {
  for (std::size_t stream = 0; stream < nextOpened_.size(); ++stream) {
    std::size_t cursor = nextOpened_[stream];
    if (const LookedAt* known = FindLookedAt(path, cursor)) {
      lastStream_ = stream;
      nextOpened_[stream] = cursor;
      opened_.resize(lookedAt_.size());
      const bool before = opened_[cursor - 1];
      opened_[cursor - 1] = true;
      return before ? ToOpen::LookedAtOnly() : ToOpen{.lookedAt = true, .size = known->size};
    }
  }
  if (sortedHashes_.size() != lookedAt_.size()) {
    sortedHashes_.clear();
    for (std::size_t i = 0; i < lookedAt_.size(); ++i) {
      sortedHashes_.emplace_back(lookedAt_[i].pathHash, i);
    }
    std::sort(sortedHashes_.begin(), sortedHashes_.end());
  }
  const std::uint64_t hash = std::hash<std::string>{}(path);
  const auto at = std::lower_bound(sortedHashes_.begin(), sortedHashes_.end(),
                                   std::pair<std::uint64_t, std::size_t>(hash, 0));
  if (at == sortedHashes_.end() || at->first != hash) {
    return {};
  }
  // The stream used less lately follows on from here.
  lastStream_ = 1 - lastStream_;
  nextOpened_[lastStream_] = at->second + 1;
  opened_.resize(lookedAt_.size());
  opened_[at->second] = true;
  return ToOpen::LookedAtOnly();
}

std::string PosixFileSystem::FullPath(const std::string& path) {
  std::error_code noFolder;
  const std::filesystem::path given = PathFromUtf8(path);
  const std::filesystem::path full =
      (given.is_absolute() ? given : std::filesystem::current_path(noFolder) / given)
          .lexically_normal();
  // A folder is named without a separator at its end ("." is the current folder).
  return Utf8FromPath(full.has_relative_path() && !full.has_filename() ? full.parent_path() : full);
}

bool PosixFileSystem::IsPlainFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool PosixFileSystem::IsFolder(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::lstat(path.c_str(), &info) != 0) {
    return false;
  }
  if (S_ISLNK(info.st_mode)) {
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }
  // A picture named on a command line is looked at here first: this look
  // serves IdOf and the open that follow.
  Remember(path, info);
  return S_ISDIR(info.st_mode);
}

std::vector<std::string> PosixFileSystem::ListFolder(const std::string& path) {
  std::vector<std::string> names;
  VisitFolder(path, [&](std::string_view name, std::optional<FileId>) {
    names.emplace_back(name);
    return false;
  });
  return names;
}

void PosixFileSystem::VisitFolder(const std::string& path, const FolderVisitor& visit) {
  if (path.empty()) {
    throw FaultError({.kind = FaultKind::kNoFileName});
  }
  struct Closer {
    void operator()(DIR* folder) const { ::closedir(folder); }
  };
  const std::unique_ptr<DIR, Closer> folder(::opendir(path.c_str()));
  struct stat info {};
  if (!folder || ::fstat(::dirfd(folder.get()), &info) != 0) {
    if (errno == ENOTDIR) {
      throw FaultError({.kind = FaultKind::kNotAFolder, .path = path, .text = path});
    }
    throw ReadFailed(path, errno);
  }
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(folder.get());
    if (entry == nullptr) {
      if (errno != 0) {
        throw ReadFailed(path, errno);
      }
      return;
    }
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      // A regular file in a folder is on the folder's device; no mount point is one.
      const std::optional<FileId> file =
          entry->d_type == DT_REG ? std::optional(FileId{static_cast<std::uint64_t>(info.st_dev),
                                                         static_cast<std::uint64_t>(entry->d_ino)})
                                  : std::nullopt;
      if (visit(entry->d_name, file)) {
        return;
      }
    }
  }
}

std::unique_ptr<ByteSource> PosixFileSystem::OpenForReading(const std::string& path) {
  if (path.empty()) {
    throw FaultError({.kind = FaultKind::kNoFileName});
  }
  ToOpen known;
  {
    const std::lock_guard lock(opening_);
    known = FindToOpen(path);
  }
  if (known.size) {
    return OpenLookedAt(path, path, *known.size);
  }
  if (known.lookedAt) {
    if (auto file = OpenAgain(path)) {
      return file;
    }
  }
  // Opening a pipe waits for a writer and opening a device may act on it: what
  // is not a regular file is refused before it is opened.
  const Destination source = Resolve(path, Use::kReading);
  return OpenLookedAt(source.path, path, static_cast<std::uint64_t>(source.existing->st_size));
}

std::unique_ptr<ByteSource> PosixFileSystem::OpenForChange(const std::string& path) {
  if (path.empty()) {
    throw FaultError({.kind = FaultKind::kNoFileName});
  }
  const Destination source = Resolve(path, Use::kReading);
  Descriptor fd(
      ::open(source.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
  if (fd.Get() < 0) {
    throw ReadFailed(path, errno);
  }
  // A file system without locks (some network ones) still lets the change go on.
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
    if (errno == EWOULDBLOCK || errno == EINTR) {
      return nullptr;
    }
    throw ReadFailed(path, errno);
  }
  // The change that held it may have put its new file at the name meanwhile:
  // the file locked must still be the one there.
  struct stat locked {};
  struct stat now {};
  if (::fstat(fd.Get(), &locked) != 0) {
    throw ReadFailed(path, errno);
  }
  if (::stat(source.path.c_str(), &now) != 0 || IdOfLooked(now) != IdOfLooked(locked)) {
    return nullptr;
  }
  return std::make_unique<PosixSource>(path, fd.Release(),
                                       static_cast<std::uint64_t>(locked.st_size));
}

std::unique_ptr<ReplacingFile> PosixFileSystem::CreateReplacing(const std::string& path) {
  return CreatePosixReplacingFile(path, context_);
}

std::size_t PosixFileSystem::FilesPerBatch() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
    return kMostFilesPerBatch;
  }
  return std::clamp<std::size_t>(static_cast<std::size_t>(limit.rlim_cur / 4), 1,
                                 kMostFilesPerBatch);
}

void PosixFileSystem::SyncFolders() {
  lookedAt_ = {};
  nextIdentified_ = 0;
  nextOpened_ = {};
  lastStream_ = 0;
  opened_ = {};
  sortedHashes_ = {};
  context_.devices.clear();
  const std::set<std::string> folders = std::exchange(context_.foldersToSync, {});
  for (const std::string& folder : folders) {
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0) {
      throw WriteFailed(folder, errno);
    }
    // Some file systems cannot sync a folder; they say so with EINVAL.
    if (context_.disk.syncFolder(fd.Get()) != 0 && errno != EINVAL && errno != EROFS) {
      throw WriteFailed(folder, errno);
    }
  }
}

void PosixFileSystem::Delete(const std::string& path) noexcept {
  ::unlink(path.c_str());
}

// The programs' file system. A write past the size the process may give a
// file (`ulimit -f`) then fails as any write does, naming the file, instead of
// SIGXFSZ ending the program without a word.
std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  std::signal(SIGXFSZ, SIG_IGN);
  return std::make_unique<PosixFileSystem>();
}

}  // namespace sprite::files
