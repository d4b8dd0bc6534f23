#include "winsys/posix/posix_file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "common/error.h"

namespace sprite::winsys {
namespace {

std::string SystemReason(int error) {
  return std::strerror(error);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }

  int get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  int Close() {
    int result = 0;
    if (fd_ >= 0) {
      result = ::close(fd_);
    }
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// Reads and writes go through buffers of this size: an archive is read and
// written in small pieces, one entry head and one coded stream at a time.
constexpr std::size_t kBufferSize = 64 * 1024;
// As many symbolic links in a row as the kernel follows before it gives up.
constexpr int kMaxLinksFollowed = 40;

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The path up to and including its last slash; empty for a bare name.
std::string FolderPrefix(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Why a path that names something other than a regular file is not used.
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

// The reason for a folder that a file cannot be made in.
std::string FolderReason(const std::string& folder, int error) {
  if (error == ENOENT) {
    return "the folder " + folder + " does not exist";
  }
  if (error == ENOTDIR) {
    return folder + " is not a folder";
  }
  return SystemReason(error);
}

// Reads ahead in blocks, so that reading an archive entry by entry costs a
// system call per block, not two per entry.
class PosixSource : public ByteSource {
 public:
  PosixSource(std::string path, int fd, std::uint64_t size)
      : path_(std::move(path)), fd_(fd), size_(size) {}

  std::uint64_t Size() const override { return size_; }

  void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (out.empty()) {
      return;
    }
    if (offset >= windowStart_ && offset - windowStart_ + out.size() <= window_.size()) {
      std::memcpy(out.data(), window_.data() + (offset - windowStart_), out.size());
      return;
    }
    if (out.size() >= kBufferSize || offset >= size_ || size_ - offset < out.size()) {
      ReadFully(offset, out);
      return;
    }
    window_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kBufferSize, size_ - offset)));
    windowStart_ = offset;
    try {
      ReadFully(offset, window_);
    } catch (...) {
      window_.clear();
      throw;
    }
    std::memcpy(out.data(), window_.data(), out.size());
  }

 private:
  void ReadFully(std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t got = ::pread(fd_.get(), out.data() + done, out.size() - done,
                                  static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got < 0) {
        throw IoError(path_, SystemReason(errno));
      }
      if (got == 0) {
        throw IoError(path_, "the file ended at byte " + std::to_string(offset + done) + " while " +
                                 std::to_string(out.size()) + " bytes from offset " +
                                 std::to_string(offset) + " were expected");
      }
      done += static_cast<std::size_t>(got);
    }
  }

 private:
  std::string path_;
  Descriptor fd_;
  std::uint64_t size_;
  Bytes window_;  // the bytes from windowStart_ on
  std::uint64_t windowStart_ = 0;
};

void WriteFully(int fd, const std::string& path, std::uint64_t offset, ByteView bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put =
        ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put < 0) {
      throw IoError(path, SystemReason(errno));
    }
    done += static_cast<std::size_t>(put);
  }
}

// What a write to a path replaces: the final target of the symbolic links at
// its last component, and the regular file standing there, if any.
struct Destination {
  std::string path;
  std::optional<struct stat> existing;
};

// The kernel's rule for links in shared folders: a link in a sticky,
// world-writable folder is followed only when it belongs to this user or to the
// folder's owner. Otherwise anyone could plant /tmp/x -> /etc/shadow for a
// privileged run to write through.
void CheckMayFollow(const std::string& path, const std::string& link, const struct stat& linkInfo) {
  const std::string folder = FolderOf(link);
  struct stat folderInfo {};
  if (::stat(folder.c_str(), &folderInfo) != 0) {
    throw IoError(path, SystemReason(errno));
  }
  const bool shared = (folderInfo.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
  if (shared && linkInfo.st_uid != ::geteuid() && linkInfo.st_uid != folderInfo.st_uid) {
    throw IoError(path, "it is a symbolic link in the shared folder " + folder +
                            " that belongs to another user; it is not followed");
  }
}

std::string ReadLink(const std::string& path, const std::string& link, off_t sizeHint) {
  std::string target(static_cast<std::size_t>(std::max<off_t>(sizeHint, 64)) + 1, '\0');
  for (;;) {
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length < 0) {
      throw IoError(path, SystemReason(errno));
    }
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);  // the link changed since it was looked at
  }
}

// Follows symbolic links at the last component as opening the path would, and
// refuses whatever is not a regular file or a place for a new one.
Destination Resolve(const std::string& path) {
  std::string current = path;
  for (int followed = 0;; ++followed) {
    if (current.empty() || current.back() == '/') {
      throw IoError(path, "it names a folder, not a file");
    }
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) {
      if (errno == ENOENT) {
        return {current, std::nullopt};
      }
      throw IoError(path, FolderReason(FolderOf(current), errno));
    }
    if (S_ISREG(info.st_mode)) {
      return {current, info};
    }
    if (!S_ISLNK(info.st_mode)) {
      throw IoError(path, NotAFile(info.st_mode) + (current == path ? "" : " (" + current + ")"));
    }
    if (followed == kMaxLinksFollowed) {
      throw IoError(path, SystemReason(ELOOP));
    }
    CheckMayFollow(path, current, info);
    const std::string target = ReadLink(path, current, info.st_size);
    current = target.starts_with('/') ? target : FolderPrefix(current) + target;
  }
}

// The replacement takes over the old file's owner and group where the process
// may give them, then its permission bits; set-user-ID and set-group-ID stay
// only when the owner and group stayed too.
void KeepOwnerAndMode(int fd, const std::string& path, const struct stat& old) {
  const bool sameOwner = ::fchown(fd, old.st_uid, old.st_gid) == 0;
  if (!sameOwner) {
    static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
  }
  if (::fchmod(fd, old.st_mode & (sameOwner ? 07777 : 0777)) != 0) {
    throw IoError(path, SystemReason(errno));
  }
}

// A file without a name can be given one through /proc, which needs no privilege.
bool CanLinkUnnamedFiles() {
  static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
  return procMounted;
}

// Linking the descriptor itself saves the lookup of its /proc path; kernels
// before 6.10 allow that only with CAP_DAC_READ_SEARCH and answer ENOENT.
std::atomic<bool> gLinkByDescriptor{true};

int LinkUnnamed(int fd, const std::string& name) {
  if (gLinkByDescriptor.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
      return 0;
    }
    if (errno != ENOENT && errno != EPERM) {
      return -1;
    }
    gLinkByDescriptor.store(false, std::memory_order_relaxed);
  }
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
}

// A short hidden name beside the target, free at the time of the call. Short,
// so that a target name of up to 255 bytes still leaves room for it.
std::string TemporaryName(const std::string& folder, std::uint32_t serial) {
  static const std::string process = std::to_string(::getpid());
  return folder + "/.sprite-" + process + "-" + std::to_string(serial) + ".tmp";
}

// Writes to a file without a name (or, where the file system cannot make one,
// to a hidden temporary file) in the target's folder, and gives it the target's
// name on Commit, so that readers never see a half-written file and a killed
// process leaves nothing behind.
class PosixReplacingFile : public ReplacingFile {
 public:
  PosixReplacingFile(std::string path, Destination destination, int fd, std::string temp,
                     std::set<std::string>& foldersToSync)
      : path_(std::move(path)),
        destination_(std::move(destination)),
        fd_(fd),
        temp_(std::move(temp)),
        foldersToSync_(foldersToSync) {}

  ~PosixReplacingFile() override {
    fd_.Close();
    if (!temp_.empty()) {
      ::unlink(temp_.c_str());
    }
  }

  // Appended bytes are gathered and written a buffer at a time.
  void Append(ByteView bytes) override {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    size_ += bytes.size();
    if (pending_.size() >= kBufferSize) {
      Flush();
    }
  }

  void WriteAt(std::uint64_t offset, ByteView bytes) override {
    Flush();
    WriteFully(fd_.get(), path_, offset, bytes);
    if (offset + bytes.size() > size_) {
      size_ = offset + bytes.size();
    }
  }

  void Commit() override {
    Flush();
    if (destination_.existing || !PlaceNew()) {
      Replace();
    }
    foldersToSync_.insert(FolderOf(destination_.path));
  }

 private:
  void Flush() {
    if (!pending_.empty()) {
      WriteFully(fd_.get(), path_, size_ - pending_.size(), pending_);
      pending_.clear();
    }
  }

  // Gives a new file its name without a flush (a power cut can lose nothing
  // that was there before) and without a rename. False when something appeared
  // at the name meanwhile: that is then replaced like a file found at the start.
  bool PlaceNew() {
    int placed = 0;
    if (temp_.empty()) {
      placed = LinkUnnamed(fd_.get(), destination_.path);
    } else {
      placed = ::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, destination_.path.c_str(),
                           RENAME_NOREPLACE);
      if (placed != 0 && errno == EINVAL) {
        placed = ::rename(temp_.c_str(), destination_.path.c_str());  // no no-replace renames
      }
    }
    if (placed == 0) {
      temp_.clear();
      CloseChecked();
      return true;
    }
    if (errno != EEXIST) {
      throw IoError(path_, SystemReason(errno));
    }
    Destination now = Resolve(path_);
    if (!now.existing || FolderOf(now.path) != FolderOf(destination_.path)) {
      throw IoError(path_, "something else was put at that name while the file was written");
    }
    destination_ = std::move(now);
    KeepOwnerAndMode(fd_.get(), path_, *destination_.existing);
    return false;
  }

  // The new content reaches the disk before it takes the old file's place. An
  // unnamed file needs a name for the rename: it has one from the end of the
  // link to the end of the rename that follows it at once, so that only a
  // process killed between those two calls leaves it behind.
  void Replace() {
    while (::fdatasync(fd_.get()) != 0) {
      if (errno != EINTR) {
        throw IoError(path_, SystemReason(errno));
      }
    }
    if (!temp_.empty()) {
      CloseChecked();
    }
    const std::string folder = FolderOf(destination_.path);
    for (std::uint32_t serial = 1; temp_.empty(); ++serial) {
      const std::string name = TemporaryName(folder, serial);
      if (LinkUnnamed(fd_.get(), name) == 0) {
        temp_ = name;
      } else if (errno != EEXIST) {
        throw IoError(path_, SystemReason(errno));
      }
    }
    if (::rename(temp_.c_str(), destination_.path.c_str()) != 0) {
      throw IoError(path_, SystemReason(errno));
    }
    temp_.clear();
    CloseChecked();
  }

  // Some file systems report a failed write only when the file is closed.
  void CloseChecked() {
    if (fd_.Close() != 0) {
      throw IoError(path_, SystemReason(errno));
    }
  }

  std::string path_;  // as the caller gave it, for messages
  Destination destination_;
  Descriptor fd_;
  std::string temp_;  // the temporary file's name while it has one
  std::set<std::string>& foldersToSync_;
  std::uint64_t size_ = 0;  // bytes appended or written, pending ones included
  Bytes pending_;
};

}  // namespace

bool PosixFileSystem::Exists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool PosixFileSystem::IsPlainFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::unique_ptr<ByteSource> PosixFileSystem::OpenForReading(const std::string& path) {
  if (path.empty()) {
    throw IoError(path, "no file name was given");
  }
  // Opening a pipe waits for a writer and opening a device may act on it: what
  // is not a regular file is refused before it is opened.
  struct stat before {};
  if (::stat(path.c_str(), &before) != 0) {
    throw IoError(path, SystemReason(errno));
  }
  if (!S_ISREG(before.st_mode)) {
    throw IoError(path, NotAFile(before.st_mode));
  }
  // Not blocking, in case a pipe took the file's place since: a regular file
  // reads the same either way.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    throw IoError(path, SystemReason(errno));
  }
  Descriptor guard(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    throw IoError(path, SystemReason(errno));
  }
  if (!S_ISREG(info.st_mode)) {
    throw IoError(path, NotAFile(info.st_mode));
  }
  const auto size = static_cast<std::uint64_t>(info.st_size);
  return std::make_unique<PosixSource>(path, guard.Release(), size);
}

std::unique_ptr<ReplacingFile> PosixFileSystem::CreateReplacing(const std::string& path) {
  if (path.empty()) {
    throw IoError(path, "no file name was given");
  }
  Destination destination = Resolve(path);
  const std::string folder = FolderOf(destination.path);
  // New files get the usual permissions: 0666 less the umask.
  int fd = -1;
  if (CanLinkUnnamedFiles()) {
    fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      throw IoError(path, FolderReason(folder, errno));
    }
  }
  std::string temp;
  for (std::uint32_t serial = 1; fd < 0; ++serial) {
    temp = TemporaryName(folder, serial);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      throw IoError(path, FolderReason(folder, errno));
    }
  }
  const std::optional<struct stat> existing = destination.existing;
  auto file = std::make_unique<PosixReplacingFile>(path, std::move(destination), fd,
                                                   std::move(temp), foldersToSync_);
  if (existing) {
    KeepOwnerAndMode(fd, path, *existing);
  }
  return file;
}

void PosixFileSystem::SyncFolders() {
  const std::set<std::string> folders = std::exchange(foldersToSync_, {});
  for (const std::string& folder : folders) {
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
      throw IoError(folder, SystemReason(errno));
    }
    // Some file systems cannot sync a folder; they say so with EINVAL.
    if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) {
      throw IoError(folder, SystemReason(errno));
    }
  }
}

void PosixFileSystem::Delete(const std::string& path) noexcept {
  ::unlink(path.c_str());
}

}  // namespace sprite::winsys
