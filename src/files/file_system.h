#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

  // Commit in steps, so that many files can wait for the disk together
  // (CommitBatch): Finish after the last byte, WaitForDisk, then Commit, which
  // then does not wait again. A file system whose Commit does everything at
  // once keeps these defaults.
  //
  // Writes what is still gathered and, for a file that replaces another,
  // starts writing it to the disk. Returns how many bytes Commit would wait
  // for the disk to take: 0 when it waits for nothing (a new file).
  virtual std::uint64_t Finish() { return 0; }
  // Waits until the disk has the bytes Finish started on their way.
  virtual void WaitForDisk() {}
};

// What tells files apart: two paths name the same file, through links or
// not, when their ids are equal.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool operator==(const FileId&) const = default;
};

// Where a write to a path lands, its links followed as the write follows them:
// the folder, the name there (as NameKey gives it), and the file that stands
// there now, if any. Two writes land on the same file when their files are
// the same, or, for files still to be made, their folders and names are.
struct WritePlace {
  std::optional<FileId> folder;
  std::string name;
  std::optional<FileId> file;
};

// Files by path. Every failure throws FaultError with the path and a kind:
// kNoFileName, kNoSuchFile, kNotAPlainFile, kNoSuchFolder, kNotAFolder,
// kLinkNotFollowed, kOthersFileNotReplaced, kChangedMeanwhile, kFileCut, or
// kCannotRead / kCannotWrite with the system's reason. Encode opens and reads
// its pictures on a second thread while its own thread appends to the archive
// it created before, and its palette pass opens files on two threads at once;
// it calls nothing else while those threads run.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool Exists(const std::string& path) = 0;
  // The file a path names, links followed; nothing when there is none. What a
  // file system learns here may serve the next OpenForReading of the same path
  // until SyncFolders ends the run, so that a run's files checked first and
  // read afterwards are looked at once each.
  virtual std::optional<FileId> IdOf(const std::string& path) = 0;
  // Where a write to `path` would land; nothing when the write could not be
  // made (no such folder, a folder or device at the path), as it will then say.
  // This default follows no links and suits file systems without them.
  virtual std::optional<WritePlace> PlaceOf(const std::string& path);
  // A file name as this file system compares names: as it is, or in one case
  // where names that differ only in case name the same file.
  virtual std::string NameKey(std::string_view name) { return std::string(name); }
  // The path made absolute from the current folder, for messages; links are
  // not followed and nothing need exist.
  virtual std::string FullPath(const std::string& path) = 0;
  // A regular file of that name exists: not a folder, device, pipe or socket.
  virtual bool IsPlainFile(const std::string& path) = 0;
  // A folder of that name exists (links followed).
  virtual bool IsFolder(const std::string& path) = 0;
  // The names of what the folder at `path` holds, without "." and "..", in no
  // particular order. Throws kNoSuchFile, kNotAFolder or kCannotRead.
  virtual std::vector<std::string> ListFolder(const std::string& path) = 0;
  // Tells `visit` each name ListFolder gives, with the identity of the
  // regular file it names when the listing itself tells it (never for a
  // link), until `visit` returns true: a folder of thousands of files is
  // gone through without a copy of each name or a look at each file. This
  // default tells no identity.
  using FolderVisitor = std::function<bool(std::string_view name, std::optional<FileId> file)>;
  virtual void VisitFolder(const std::string& path, const FolderVisitor& visit);
  // Refuses anything but a regular file (a folder, pipe, device or socket) at
  // once, without opening it, and a symbolic link in a shared sticky folder as
  // CreateReplacing does.
  virtual std::unique_ptr<ByteSource> OpenForReading(const std::string& path) = 0;
  // The file at `path` read once in order, as a list file is: a stream need
  // not be gathered before it is read. This default reads what OpenForReading
  // opens.
  virtual std::unique_ptr<ByteStream> OpenForStreaming(const std::string& path);
  // Opens the file at `path` as OpenForReading does, for a change that will
  // replace it, and holds off every other change of that file made this way
  // until the source is destroyed: two changes of one archive at once would
  // each copy the old entries, and the second to finish would lose the
  // first. Nothing while another change holds the file, or when the file was
  // replaced as it was opened: try again. This default holds nothing off.
  virtual std::unique_ptr<ByteSource> OpenForChange(const std::string& path) {
    return OpenForReading(path);
  }
  // Fails at once when the folder is missing or not writable, or when a folder,
  // device, pipe or socket stands at the path. A symbolic link is followed and
  // its final target replaced, unless it sits in a shared sticky folder (such
  // as /tmp) and belongs neither to this user nor to the folder's owner; a
  // file in such a folder that belongs to another user than the folder's owner
  // is not replaced either. A replaced file keeps its permission bits, and its
  // owner and group where the process may set them.
  virtual std::unique_ptr<ReplacingFile> CreateReplacing(const std::string& path) = 0;
  // How many finished files a CommitBatch may hold open at once; 1 commits
  // each file as it comes.
  virtual std::size_t FilesPerBatch() { return 1; }
  // Ends a run: makes the names given by the commits since the last call
  // durable, each of their folders synced once.
  virtual void SyncFolders() = 0;
  // Failures are ignored: there may be no such file.
  virtual void Delete(const std::string& path) noexcept = 0;
};

}  // namespace sprite::files
