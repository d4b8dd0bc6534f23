#pragma once

#include <memory>
#include <string>

#include "common/byte_io.h"
#include "common/bytes.h"

namespace sprite::winsys {

// A file being written in place of its target. Bytes go to a temporary file in
// the target's folder; Commit moves it over the target in one step. Destroyed
// without Commit, it removes the temporary file and the target stays as it was.
class ReplacingFile : public ByteSink {
 public:
  virtual void Commit() = 0;
};

// Files by path. Every failure throws IoError with the path and the system's reason.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool Exists(const std::string& path) = 0;
  // A regular file of that name exists: not a folder, device, pipe or socket.
  virtual bool IsPlainFile(const std::string& path) = 0;
  virtual std::unique_ptr<ByteSource> OpenForReading(const std::string& path) = 0;
  // Fails at once when the folder is missing or not writable, or the path names a folder.
  virtual std::unique_ptr<ReplacingFile> CreateReplacing(const std::string& path) = 0;
  // Failures are ignored: there may be no such file.
  virtual void Delete(const std::string& path) noexcept = 0;
};

}  // namespace sprite::winsys
