// Files committed together, so that replacing thousands of files costs a wait
// for the disk per batch rather than one per file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/file_system.h"

namespace sprite::files {

// Takes finished files and commits them in the order they came. Files that
// replace others wait in the batch; when it is full, every waiting file is
// made to reach the disk first and only then does each take its place, so a
// kill at any moment leaves every old file whole or its complete replacement,
// while the disk is waited for once for the whole batch. A file that replaces
// nothing is committed at once when no file waits before it.
class CommitBatch {
 public:
  // `filesAtOnce`: the most files that wait at once (FileSystem::FilesPerBatch).
  // `placed` is told each file's path once it stands under its name.
  CommitBatch(std::size_t filesAtOnce, std::function<void(const std::string&)> placed);
  // Files still waiting are dropped: their targets stay as they were.
  ~CommitBatch();
  CommitBatch(const CommitBatch&) = delete;
  CommitBatch& operator=(const CommitBatch&) = delete;

  // Takes a file whose every byte is written, to be committed at `path`.
  // Throws FaultError naming the file that cannot be committed, this one or
  // one that waited: the files before it are committed, the rest dropped.
  void Add(std::unique_ptr<ReplacingFile> file, const std::string& path);
  // Commits every waiting file, as Add says.
  void Commit();

 private:
  struct Waiting {
    std::unique_ptr<ReplacingFile> file;
    std::string path;
  };

  std::size_t filesAtOnce_;
  std::function<void(const std::string&)> placed_;
  std::vector<Waiting> waiting_;
  std::uint64_t waitingBytes_ = 0;
};

}  // namespace sprite::files
