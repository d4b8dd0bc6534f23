#pragma once

#include <set>
#include <string>

#include "files/file_system.h"

namespace sprite::files {

// Files through Win32 calls; used by both Windows programs. Paths are UTF-8
// and may use either separator; every call takes them in UTF-16, in the long
// form (\\?\C:\...), so that they may be longer than 260 characters. Devices (NUL, CON,
// COM1, ... in any folder, \\.\ paths), named pipes and folders are refused as
// inputs and as outputs without being opened.
class Win32FileSystem : public FileSystem {
 public:
  bool Exists(const std::string& path) override;
  // The volume's serial number and the file's index, links followed.
  std::optional<FileId> IdOf(const std::string& path) override;
  // Links followed as CreateReplacing follows them.
  std::optional<WritePlace> PlaceOf(const std::string& path) override;
  // Upper case: Windows takes names that differ only in case for the same.
  std::string NameKey(std::string_view name) override;
  // Absolute, with the system's separators, without the \\?\ prefix.
  std::string FullPath(const std::string& path) override;
  bool IsPlainFile(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  // Through FindFirstFileW and FindNextFileW, names in UTF-8.
  std::vector<std::string> ListFolder(const std::string& path) override;
  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override;
  // Held by a lock on the file's handle (LockFileEx), which closing it releases.
  std::unique_ptr<ByteSource> OpenForChange(const std::string& path) override;
  // A replaced file keeps its attributes (read-only included) and its security.
  // Temporary files left beside the target by a killed run are removed first,
  // once a folder.
  std::unique_ptr<ReplacingFile> CreateReplacing(const std::string& path) override;
  // Nothing to do: every new name was moved into place with write-through.
  void SyncFolders() override {}
  void Delete(const std::string& path) noexcept override;

 private:
  // The folders already cleared of killed runs' temporary files: listing a
  // folder for every file made would make a Decode of thousands of pictures
  // into one folder list it thousands of times.
  std::set<std::wstring> foldersSwept_;
};

}  // namespace sprite::files
