#pragma once

#include <set>
#include <string>

#include "files/file_system.h"

namespace sprite::files {

// Files through POSIX calls; used by the window and the console front end alike.
class PosixFileSystem : public FileSystem {
 public:
  bool Exists(const std::string& path) override;
  std::optional<FileId> IdOf(const std::string& path) override;
  std::string FullPath(const std::string& path) override;
  bool IsPlainFile(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
  std::unique_ptr<ReplacingFile> CreateReplacing(const std::string& path) override;
  void SyncFolders() override;
  void Delete(const std::string& path) noexcept override;

 private:
  std::set<std::string> foldersToSync_;  // filled by the files' commits
};

}  // namespace sprite::files
