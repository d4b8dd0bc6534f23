// Writing a file without a name beside its target, and giving it the target's
// name on Commit: linked for a new file, renamed over an existing one.
#include "files/posix/posix_replacing_file.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>

#include "common/error.h"
#include "files/buffered_replacing_file.h"
#include "files/posix/descriptor.h"
#include "files/posix/posix_paths.h"
#include "files/posix/replace_destination.h"
#include "files/posix/stale_temporaries.h"

namespace sprite::files {
namespace {

// Kernels from 6.10 on let the process that opened a file link its descriptor.
bool KernelLinksOwnDescriptors() {
  utsname system{};
  int major = 0;
  int minor = 0;
  return ::uname(&system) == 0 && std::sscanf(system.release, "%d.%d", &major, &minor) == 2 &&
         (major > 6 || (major == 6 && minor >= 10));
}

// Older kernels let a process with CAP_DAC_READ_SEARCH link any descriptor.
bool MayLinkAnyDescriptor() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct sets[_LINUX_CAPABILITY_U32S_3]{};
  constexpr unsigned kCapability = CAP_DAC_READ_SEARCH;
  return ::syscall(SYS_capget, &header, sets) == 0 &&
         (sets[kCapability / 32].effective & (1u << (kCapability % 32))) != 0;
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

// Writes to a file without a name (or, where the file system cannot make one,
// to a hidden temporary file) in the target's folder, and gives it the target's
// name on Commit, so that readers never see a half-written file and a killed
// process leaves nothing behind, or a temporary file that the next run
// writing into that folder removes. The file is locked from the start to
// its close, so that no run takes it for a killed one's meanwhile.
class PosixReplacingFile : public BufferedReplacingFile {
 public:
  PosixReplacingFile(std::string path, Destination destination, int fd, std::string temp,
                     ReplacingContext& context)
      : path_(std::move(path)),
        destination_(std::move(destination)),
        fd_(fd),
        temp_(std::move(temp)),
        context_(context) {}

  ~PosixReplacingFile() override {
    // Removed while still locked: once the lock is free, the name may be another's.
    if (!temp_.empty()) {
      ::unlink(temp_.c_str());
    }
  }

  // A file waiting in a batch keeps its descriptor and no buffer. Its write-back
  // starts now, while the next files are made, so that the wait for the disk
  // finds little left to do; a new file gets no flush at all.
  std::uint64_t Finish() override {
    FlushAndRelease();
    if (!destination_.existing) {
      return 0;
    }
    SyncRange(SYNC_FILE_RANGE_WRITE);
    started_ = ++context_.started;
    return Size() + 1;  // an empty file still waits for its length to be written
  }

  // The file's own writes are waited for (a failed one shows as this file's),
  // then the file system is synced once for every file started before: on
  // ext4 an fdatasync of each would flush the disk's cache once for each.
  void WaitForDisk() override {
    if (!destination_.existing || durable_) {
      return;
    }
    SyncRange(SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
    ReplacingContext::Device& device = DeviceOf(destination_.existing->st_dev);
    if (!device.syncsEverything) {
      MakeDurable();
      return;
    }
    if (started_ == 0 || started_ > device.durableThrough) {
      const std::uint64_t started = context_.started;
      Retried(context_.disk.syncFileSystem);
      device.durableThrough = started;
    }
    durable_ = true;
  }

  void Commit() override {
    Flush();
    if (destination_.existing || !PlaceNew()) {
      Replace();
    }
    context_.foldersToSync.insert(FolderOf(destination_.path));
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

  void MakeDurable() {
    if (!durable_) {
      Retried(context_.disk.syncFile);
      durable_ = true;
    }
  }

  // Calls `sync` on the file until it is not interrupted; FaultError when it fails.
  void Retried(int (*sync)(int)) {
    while (sync(fd_.Get()) != 0) {
      if (errno != EINTR) {
        throw WriteFailed(path_, errno);
      }
    }
  }

  // sync_file_range where the file system has it; where it has not, the
  // flush that follows does all.
  void SyncRange(unsigned int flags) {
    if (::sync_file_range(fd_.Get(), 0, 0, flags) != 0 && errno != ENOSYS && errno != EINVAL &&
        errno != EOPNOTSUPP && errno != ESPIPE) {
      throw WriteFailed(path_, errno);
    }
  }

  // Whether a syncfs of the file's device makes its bytes durable; others,
  // such as network and FUSE file systems, get an fdatasync of each file.
  ReplacingContext::Device& DeviceOf(dev_t id) {
    const auto [found, added] = context_.devices.try_emplace(id);
    if (added) {
      struct statfs info {};
      found->second.syncsEverything = ::fstatfs(fd_.Get(), &info) == 0 &&
                                      SyncsEverything(static_cast<unsigned long>(info.f_type));
    }
    return found->second;
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
    Destination now = Resolve(path_, Use::kReplacing);
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
    MakeDurable();
    if (!temp_.empty()) {
      held_.emplace(::dup(fd_.Get()));  // the lock stays until the name is gone
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
    ExpectOldFileStillThere();
    if (::rename(temp_.c_str(), destination_.path.c_str()) != 0) {
      throw RenameFailed(errno);
    }
    temp_.clear();
    CloseChecked();
  }

  // Another run may have put its own file at the name while this one was
  // written (an Encode while an entry change copies the old archive): that
  // file is not lost under this one, which was made from or for the old.
  // Its size or time tells it too, as FAT numbers a file anew each time it
  // is read back from the disk.
  void ExpectOldFileStillThere() const {
    const struct stat& old = *destination_.existing;
    struct stat now {};
    if (::lstat(destination_.path.c_str(), &now) == 0 &&
        (now.st_dev != old.st_dev || now.st_ino != old.st_ino) &&
        (now.st_size != old.st_size || now.st_mtim.tv_sec != old.st_mtim.tv_sec ||
         now.st_mtim.tv_nsec != old.st_mtim.tv_nsec)) {
      throw FaultError({.kind = FaultKind::kChangedMeanwhile, .path = path_});
    }
  }

  // In a sticky folder such as /tmp the kernel lets only the owner of a file
  // or of the folder rename over it: that is said in words, not as "Operation
  // not permitted".
  FaultError RenameFailed(int error) const {
    const std::string folder = FolderOf(destination_.path);
    struct stat info {};
    if (error == EPERM && ::stat(folder.c_str(), &info) == 0 && (info.st_mode & S_ISVTX) != 0) {
      return FaultError({.kind = FaultKind::kOthersFileNotReplaced, .path = path_, .text = folder});
    }
    return WriteFailed(path_, error);
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
  std::string temp_;                // the temporary file's name while it has one
  std::optional<Descriptor> held_;  // the file's lock, after fd_ was closed
  ReplacingContext& context_;
  std::uint64_t started_ = 0;  // its number among the files Finish started; 0 before
  bool durable_ = false;       // the disk has every byte written so far
};

// Locks a file just made under a temporary name, and tells whether the name
// is still the file's: a run that sweeps the folder may have taken it for a
// killed run's before the lock.
bool LockedUnderItsName(int fd, const std::string& name) {
  LockWhileWritten(fd);
  struct stat made {};
  struct stat named {};
  return ::fstat(fd, &made) == 0 && ::lstat(name.c_str(), &named) == 0 &&
         made.st_dev == named.st_dev && made.st_ino == named.st_ino;
}

}  // namespace

bool UnnamedFilesCanBeNamed() {
  return KernelLinksOwnDescriptors() || ::access("/proc/self/fd", X_OK) == 0 ||
         MayLinkAnyDescriptor();
}

std::unique_ptr<ReplacingFile> CreatePosixReplacingFile(const std::string& path,
                                                        ReplacingContext& context) {
  if (path.empty()) {
    throw FaultError({.kind = FaultKind::kNoFileName});
  }
  Destination destination = Resolve(path, Use::kReplacing);
  const std::string folder = FolderOf(destination.path);
  const auto [swept, first] = context.foldersSwept.try_emplace(folder);
  if (first) {
    swept->second = RemoveStaleTemporaries(folder);
  }
  const bool locks = swept->second;
  // A folder that cannot take the file now is looked at again next time.
  const auto folderFailed = [&](int error) {
    context.foldersSwept.erase(folder);
    return FolderFailed(path, folder, error);
  };
  // New files get the usual permissions: 0666 less the umask.
  int fd = -1;
  if (context.unnamedFiles) {
    fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      throw folderFailed(errno);
    }
  }
  if (fd >= 0 && locks) {
    LockWhileWritten(fd);
  }
  std::string temp;
  for (std::uint32_t serial = 1; fd < 0; ++serial) {
    temp = TemporaryName(folder, serial);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      throw folderFailed(errno);
    }
    if (fd >= 0 && locks && !LockedUnderItsName(fd, temp)) {
      ::close(fd);  // removed as a killed run's before it was locked
      fd = -1;
    }
  }
  const std::optional<struct stat> existing = destination.existing;
  auto file = std::make_unique<PosixReplacingFile>(path, std::move(destination), fd,
                                                   std::move(temp), context);
  if (existing) {
    KeepOwnerAndMode(fd, path, *existing);
  }
  return file;
}

}  // namespace sprite::files
