#include "files/file_system.h"

#include <filesystem>

#include "common/utf8_path.h"

namespace sprite::files {

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
