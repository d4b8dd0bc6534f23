#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/byte_io.h"
#include "common/bytes.h"

namespace sprite::files {

// A file being written in place of its target. Its bytes have no name until
// Commit puts them at the target in one step; destroyed without Commit, it
// leaves the target as it was and nothing else behind.
class ReplacingFile : public ByteSink {
 public:
  // A file that replaces another is on the disk before it takes the old one's
  // place, so that a power cut leaves the old content or the new, never neither.
  virtual void Commit() = 0;
};

// What tells files apart: two paths name the same file, through links or
// not, when their ids are equal.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool operator==(const FileId&) const = default;
};

// Files by path. Every failure throws FaultError with the path and a kind:
// kNoFileName, kNoSuchFile, kNotAPlainFile, kNoSuchFolder, kNotAFolder,
// kLinkNotFollowed, kChangedMeanwhile, kFileCut, or kCannotRead / kCannotWrite
// with the system's reason.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool Exists(const std::string& path) = 0;
  // The file a path names, links followed; nothing when there is none.
  virtual std::optional<FileId> IdOf(const std::string& path) = 0;
  // The path made absolute from the current folder, for messages; links are
  // not followed and nothing need exist.
  virtual std::string FullPath(const std::string& path) = 0;
  // A regular file of that name exists: not a folder, device, pipe or socket.
  virtual bool IsPlainFile(const std::string& path) = 0;
  // Refuses anything but a regular file (a folder, pipe, device or socket) at
  // once, without opening it.
  virtual std::unique_ptr<ByteSource> OpenForReading(const std::string& path) = 0;
  // Fails at once when the folder is missing or not writable, or when a folder,
  // device, pipe or socket stands at the path. A symbolic link is followed and
  // its final target replaced, unless it sits in a shared sticky folder (such
  // as /tmp) and belongs neither to this user nor to the folder's owner. A
  // replaced file keeps its permission bits, and its owner and group where the
  // process may set them.
  virtual std::unique_ptr<ReplacingFile> CreateReplacing(const std::string& path) = 0;
  // Makes the names given by the commits since the last call durable: each of
  // their folders is synced once.
  virtual void SyncFolders() = 0;
  // Failures are ignored: there may be no such file.
  virtual void Delete(const std::string& path) noexcept = 0;
};

}  // namespace sprite::files
