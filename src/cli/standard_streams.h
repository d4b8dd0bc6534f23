// "-" for the standard streams: an archive read from standard input, or
// written to standard output.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "files/file_system.h"

namespace sprite::cli {

// The name "-" stands for a standard stream; every other path for a file.
inline constexpr char kStandardStream[] = "-";

// A file system that reads "-" from standard input and writes "-" to standard
// output, and hands every other path to `files`. Standard input is copied into
// an unnamed temporary file first, since an archive's palette is at its end
// (a list, streamed, is read as it comes);
// an archive for standard output is gathered in one, since its count is
// written last, and copied out when it is committed. When standard input is
// the archive (`archiveIn`), a stream that does not start as one is refused
// at its first bytes rather than copied.
class StandardStreams : public files::FileSystem {
 public:
  StandardStreams(files::FileSystem& files, bool archiveIn)
      : files_(files), archiveIn_(archiveIn) {}

  bool Exists(const std::string& path) override;
  // "-": the file standard input comes from, when it is one.
  std::optional<files::FileId> IdOf(const std::string& path) override;
  // "-": the file standard output goes to, when it is one.
  std::optional<files::WritePlace> PlaceOf(const std::string& path) override;
  std::string NameKey(std::string_view name) override { return files_.NameKey(name); }
  std::string FullPath(const std::string& path) override;
  bool IsPlainFile(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  std::vector<std::string> ListFolder(const std::string& path) override {
    return files_.ListFolder(path);
  }
  void VisitFolder(const std::string& path, const FolderVisitor& visit) override {
    files_.VisitFolder(path, visit);
  }
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
  // "-": standard input as it comes, a list read from it.
  std::unique_ptr<ByteStream> OpenForStreaming(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenForChange(const std::string& path) override {
    return path == kStandardStream ? OpenForReading(path) : files_.OpenForChange(path);
  }
  std::unique_ptr<files::ReplacingFile> CreateReplacing(const std::string& path) override;
  std::size_t FilesPerBatch() override { return files_.FilesPerBatch(); }
  void SyncFolders() override { files_.SyncFolders(); }
  void Delete(const std::string& path) noexcept override;

 private:
  files::FileSystem& files_;
  bool archiveIn_;
};

// Why a run cannot start with the standard streams it was given: standard
// output closed or read-only when the run writes `outputUse` there ("the
// log"; empty for nothing), or standard input closed when it reads the
// archive from there. Checked before any file is opened; closed streams get
// the null device (SecureStandardStreams).
std::optional<std::string> StandardStreamsRefusal(bool inputUsed, std::string_view outputUse);

}  // namespace sprite::cli
