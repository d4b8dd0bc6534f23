#include "files/file_system.h"

#include <filesystem>
#include <utility>

#include "common/utf8_path.h"

namespace sprite::files {

namespace {

class OpenedStream : public ByteStream {
 public:
  explicit OpenedStream(std::unique_ptr<ByteSource> file) : file_(std::move(file)), read_(*file_) {}
  std::size_t Read(std::span<std::uint8_t> out) override { return read_.Read(out); }

 private:
  std::unique_ptr<ByteSource> file_;
  SourceStream read_;
};

}  // namespace

std::unique_ptr<ByteStream> FileSystem::OpenForStreaming(const std::string& path) {
  return std::make_unique<OpenedStream>(OpenForReading(path));
}

void FileSystem::VisitFolder(const std::string& path, const FolderVisitor& visit) {
  for (const std::string& name : ListFolder(path)) {
    if (visit(name, std::nullopt)) {
      return;
    }
  }
}

std::optional<WritePlace> FileSystem::PlaceOf(const std::string& path) {
  const std::filesystem::path given = PathFromUtf8(path);
  const std::filesystem::path folder = given.parent_path();
  std::optional<FileId> folderId = IdOf(folder.empty() ? "." : Utf8FromPath(folder));
  if (!folderId) {
    return std::nullopt;
  }
  return WritePlace{folderId, NameKey(Utf8FromPath(given.filename())), IdOf(path)};
}

}  // namespace sprite::files
