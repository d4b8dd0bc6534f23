// Writing a file without a name beside its target, and giving it the target's
// name on Commit: linked for a new file, renamed over an existing one.
#include "files/posix/posix_replacing_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "common/error.h"
#include "files/buffered_replacing_file.h"
#include "files/posix/descriptor.h"
#include "files/posix/posix_paths.h"
#include "files/posix/replace_destination.h"

namespace sprite::files {
namespace {

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
class PosixReplacingFile : public BufferedReplacingFile {
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

  void Commit() override {
    Flush();
    if (destination_.existing || !PlaceNew()) {
      Replace();
    }
    foldersToSync_.insert(FolderOf(destination_.path));
  }

 private:
  void WriteFully(std::uint64_t offset, ByteView bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t put = ::pwrite(fd_.Get(), bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
      if (put < 0 && errno == EINTR) {
        continue;
      }
      if (put < 0) {
        throw WriteFailed(path_, errno);
      }
      done += static_cast<std::size_t>(put);
    }
  }

  // Gives a new file its name without a flush (a power cut can lose nothing
  // that was there before) and without a rename. False when something appeared
  // at the name meanwhile: that is then replaced like a file found at the start.
  bool PlaceNew() {
    int placed = 0;
    if (temp_.empty()) {
      placed = LinkUnnamed(fd_.Get(), destination_.path);
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
      throw WriteFailed(path_, errno);
    }
    Destination now = Resolve(path_);
    if (!now.existing || FolderOf(now.path) != FolderOf(destination_.path)) {
      throw FaultError({.kind = FaultKind::kChangedMeanwhile, .path = path_});
    }
    destination_ = std::move(now);
    KeepOwnerAndMode(fd_.Get(), path_, *destination_.existing);
    return false;
  }

  // The new content reaches the disk before it takes the old file's place. An
  // unnamed file needs a name for the rename: it has one from the end of the
  // link to the end of the rename that follows it at once, so that only a
  // process killed between those two calls leaves it behind.
  void Replace() {
    while (::fdatasync(fd_.Get()) != 0) {
      if (errno != EINTR) {
        throw WriteFailed(path_, errno);
      }
    }
    if (!temp_.empty()) {
      CloseChecked();
    }
    const std::string folder = FolderOf(destination_.path);
    for (std::uint32_t serial = 1; temp_.empty(); ++serial) {
      const std::string name = TemporaryName(folder, serial);
      if (LinkUnnamed(fd_.Get(), name) == 0) {
        temp_ = name;
      } else if (errno != EEXIST) {
        throw WriteFailed(path_, errno);
      }
    }
    if (::rename(temp_.c_str(), destination_.path.c_str()) != 0) {
      throw WriteFailed(path_, errno);
    }
    temp_.clear();
    CloseChecked();
  }

  // Some file systems report a failed write only when the file is closed.
  void CloseChecked() {
    if (fd_.Close() != 0) {
      throw WriteFailed(path_, errno);
    }
  }

  std::string path_;  // as the caller gave it, for messages
  Destination destination_;
  Descriptor fd_;
  std::string temp_;  // the temporary file's name while it has one
  std::set<std::string>& foldersToSync_;
};

}  // namespace

std::unique_ptr<ReplacingFile> CreatePosixReplacingFile(const std::string& path,
                                                        std::set<std::string>& foldersToSync) {
  if (path.empty()) {
    throw FaultError({.kind = FaultKind::kNoFileName});
  }
  Destination destination = Resolve(path);
  const std::string folder = FolderOf(destination.path);
  // New files get the usual permissions: 0666 less the umask.
  int fd = -1;
  if (CanLinkUnnamedFiles()) {
    fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      throw FolderFailed(path, folder, errno);
    }
  }
  std::string temp;
  for (std::uint32_t serial = 1; fd < 0; ++serial) {
    temp = TemporaryName(folder, serial);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      throw FolderFailed(path, folder, errno);
    }
  }
  const std::optional<struct stat> existing = destination.existing;
  auto file = std::make_unique<PosixReplacingFile>(path, std::move(destination), fd,
                                                   std::move(temp), foldersToSync);
  if (existing) {
    KeepOwnerAndMode(fd, path, *existing);
  }
  return file;
}

}  // namespace sprite::files
