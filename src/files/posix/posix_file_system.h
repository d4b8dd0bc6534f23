#pragma once

#include <sys/stat.h>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "files/file_system.h"
#include "files/posix/posix_replacing_file.h"

namespace sprite::files {

// Files through POSIX calls; used by the window and the console front end alike.
class PosixFileSystem : public FileSystem {
 public:
  // How new files are made: without a name where the system allows it, or
  // always under a hidden temporary name (tests take that way on purpose).
  enum class NewFiles : std::uint8_t { kUnnamedWherePossible, kNamedTemporaries };

  // `disk`: how bytes are made durable; tests give calls that fail or count.
  explicit PosixFileSystem(DiskCalls disk = {},
                           NewFiles newFiles = NewFiles::kUnnamedWherePossible);

  bool Exists(const std::string& path) override;
  std::optional<FileId> IdOf(const std::string& path) override;
  // Links followed as CreateReplacing follows them.
  std::optional<WritePlace> PlaceOf(const std::string& path) override;
  std::string FullPath(const std::string& path) override;
  bool IsPlainFile(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  std::vector<std::string> ListFolder(const std::string& path) override;
  // Regular files by the device and the inode number readdir gives.
  void VisitFolder(const std::string& path, const FolderVisitor& visit) override;
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
  // Held by an exclusive flock on the file, which its descriptor releases.
  std::unique_ptr<ByteSource> OpenForChange(const std::string& path) override;
  std::unique_ptr<ReplacingFile> CreateReplacing(const std::string& path) override;
  std::size_t FilesPerBatch() override;
  void SyncFolders() override;
  void Delete(const std::string& path) noexcept override;

 private:
  // A regular file a look found, reached without a link: its size and id then.
  // 24 bytes: a file whose size or device number needs more is not kept.
  struct LookedAt {
    std::uint64_t pathHash;
    std::uint64_t file;
    std::uint32_t size;
    std::uint32_t device;
  };
  // Keeps what a look at `path` found, when it found a regular file.
  void Remember(const std::string& path, const struct stat& info);
  // What a look found at `path`, among the next few files looked at from
  // `cursor`, which then moves past it.
  const LookedAt* FindLookedAt(const std::string& path, std::size_t& cursor) const;
  // What OpenForReading knows of `path`: whether a look found a regular file
  // there, and its size then when that serves the open: the look was found
  // following a stream of opens, and its file not opened since.
  struct ToOpen {
    bool lookedAt = false;
    std::optional<std::uint32_t> size;
    static constexpr ToOpen LookedAtOnly() { return {.lookedAt = true, .size = std::nullopt}; }
  };
  // Under opening_: the look at `path`, following either stream of opens, or
  // else found among all, the stream used less lately following on from it.
  ToOpen FindToOpen(const std::string& path);

  ReplacingContext context_;
  // A run looks at its inputs first (whether each is a folder, whether one is
  // the archive) and reads them in the same order: each is looked at once,
  // then identified and opened from what that look found. Hashes keep the
  // records small, and a deque grows without a copy of those before.
  std::deque<LookedAt> lookedAt_;
  std::size_t nextIdentified_ = 0;
  // Two streams of opens in list order may go on at once (the palette pass
  // reads a run's files on two threads), and a run may open its files again
  // (its PNG pictures after that pass): each stream follows its own cursor.
  std::mutex opening_;
  std::array<std::size_t, 2> nextOpened_{};
  std::size_t lastStream_ = 0;
  std::vector<bool> opened_;
  // The hashes of lookedAt_ with their places, sorted, for a stream to find its place.
  std::vector<std::pair<std::uint64_t, std::size_t>> sortedHashes_;
};

}  // namespace sprite::files
