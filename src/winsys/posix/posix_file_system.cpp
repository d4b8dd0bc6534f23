#include "winsys/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// Writes to a hidden temporary file beside the target and renames it over the
// target on Commit, so readers never see a half-written file.
class PosixReplacingFile : public ReplacingFile {
 public:
  PosixReplacingFile(std::string target, std::string temp, int fd)
      : target_(std::move(target)), temp_(std::move(temp)), fd_(fd) {}

  ~PosixReplacingFile() override {
    if (!committed_) {
      fd_.Close();
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
    WriteFully(fd_.get(), target_, offset, bytes);
    if (offset + bytes.size() > size_) {
      size_ = offset + bytes.size();
    }
  }

  void Commit() override {
    Flush();
    if (fd_.Close() != 0) {
      throw IoError(target_, SystemReason(errno));
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
      throw IoError(target_, SystemReason(errno));
    }
    committed_ = true;
  }

 private:
  void Flush() {
    if (!pending_.empty()) {
      WriteFully(fd_.get(), target_, size_ - pending_.size(), pending_);
      pending_.clear();
    }
  }

  std::string target_;
  std::string temp_;
  Descriptor fd_;
  std::uint64_t size_ = 0;  // bytes appended or written, pending ones included
  Bytes pending_;
  bool committed_ = false;
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

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
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw IoError(path, SystemReason(errno));
  }
  Descriptor guard(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    throw IoError(path, SystemReason(errno));
  }
  if (S_ISDIR(info.st_mode)) {
    throw IoError(path, "it is a folder, not a file");
  }
  if (!S_ISREG(info.st_mode)) {
    throw IoError(path, "it is not a regular file");
  }
  const auto size = static_cast<std::uint64_t>(info.st_size);
  return std::make_unique<PosixSource>(path, guard.Release(), size);
}

std::unique_ptr<ReplacingFile> PosixFileSystem::CreateReplacing(const std::string& path) {
  if (path.empty()) {
    throw IoError(path, "no file name was given");
  }
  if (path.back() == '/') {
    throw IoError(path, "it names a folder, not a file");
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    throw IoError(path, "it is a folder, not a file");
  }
  // A hidden name of our own beside the target, created with the usual
  // permissions (mkstemp would make the finished file private).
  const auto slash = path.find_last_of('/');
  const std::string prefix = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  static const std::string process = std::to_string(::getpid());
  static std::uint32_t serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp =
        prefix + "." + NameOf(path) + "." + process + "-" + std::to_string(++serial) + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      return std::make_unique<PosixReplacingFile>(path, std::move(temp), fd);
    }
    if (errno == ENOENT || errno == ENOTDIR) {
      const std::string folder = FolderOf(path);
      throw IoError(path, errno == ENOENT ? "the folder " + folder + " does not exist"
                                          : folder + " is not a folder");
    }
    if (errno != EEXIST) {
      throw IoError(path, SystemReason(errno));
    }
  }
  throw IoError(path, "no free name for a temporary file beside it");
}

void PosixFileSystem::Delete(const std::string& path) noexcept {
  ::unlink(path.c_str());
}

}  // namespace sprite::winsys
