#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/file_system.h"
#include "files/posix/posix_replacing_file.h"

namespace sprite::files {

// Files through POSIX calls; used by the window and the console front end alike.
class PosixFileSystem : public FileSystem {
 public:
  // `disk`: how bytes are made durable; tests give calls that fail.
  explicit PosixFileSystem(DiskCalls disk = {});

  bool Exists(const std::string& path) override;
  std::optional<FileId> IdOf(const std::string& path) override;
  std::string FullPath(const std::string& path) override;
  bool IsPlainFile(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  std::vector<std::string> ListFolder(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
  std::unique_ptr<ReplacingFile> CreateReplacing(const std::string& path) override;
  std::size_t FilesPerBatch() override;
  void SyncFolders() override;
  void Delete(const std::string& path) noexcept override;

 private:
  // A regular file IdOf found, reached without a link, and its size then.
  struct LookedAt {
    std::size_t pathHash;
    std::uint64_t size;
  };
  // The size IdOf found for `path` among the next few files it looked at.
  std::optional<std::uint64_t> TakeLookedAt(const std::string& path);

  ReplacingContext context_;
  // A run checks its inputs first and reads them in the same order: each is
  // then opened without a second look. Hashes keep 32767 of them small.
  std::vector<LookedAt> lookedAt_;
  std::size_t nextLookedAt_ = 0;
};

}  // namespace sprite::files
