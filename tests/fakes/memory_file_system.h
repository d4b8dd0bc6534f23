#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "files/file_system.h"
#include "formats/memory_io.h"

namespace sprite::fakes {

// Files in memory behind the interface the commands use: what a command writes
// can be read back at once, and nothing touches the disk.
class MemoryFileSystem : public files::FileSystem {
 public:
  bool Exists(const std::string& path) override { return files.count(Key(path)) != 0; }
  bool IsPlainFile(const std::string& path) override { return Exists(path); }
  // Memory holds files only: a folder is the prefix of their paths.
  bool IsFolder(const std::string& path) override {
    const std::string prefix = FolderPrefix(path);
    const auto next = files.lower_bound(prefix);
    return next != files.end() && next->first.starts_with(prefix);
  }
  std::vector<std::string> ListFolder(const std::string& path) override {
    std::vector<std::string> names;
    const std::string prefix = FolderPrefix(path);
    for (auto it = files.lower_bound(prefix); it != files.end() && it->first.starts_with(prefix);
         ++it) {
      const std::string rest = it->first.substr(prefix.size());
      const std::string name = rest.substr(0, rest.find('/'));
      if (names.empty() || names.back() != name) {
        names.push_back(name);
      }
    }
    if (names.empty()) {
      throw FaultError({.kind = Exists(path) ? FaultKind::kNotAFolder : FaultKind::kNoSuchFile,
                        .path = path,
                        .text = path});
    }
    return names;
  }
  std::string FullPath(const std::string& path) override { return "/" + path; }
  // A file is its path: memory holds no links. A folder, "." for the one
  // that holds the paths without one, is an identity of its own.
  std::optional<files::FileId> IdOf(const std::string& path) override {
    if (Exists(path)) {
      return files::FileId{0, std::hash<std::string>{}(path)};
    }
    if (path == "." || IsFolder(path)) {
      return files::FileId{1, std::hash<std::string>{}(path)};
    }
    return std::nullopt;
  }

  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override {
    const auto found = files.find(Key(path));
    if (found == files.end()) {
      throw FaultError({.kind = FaultKind::kNoSuchFile, .path = path});
    }
    return std::make_unique<OwnedSource>(found->second);
  }

  std::unique_ptr<files::ReplacingFile> CreateReplacing(const std::string& path) override {
    return std::make_unique<File>(path, files);
  }

  void SyncFolders() override {}
  void Delete(const std::string& path) noexcept override { files.erase(path); }

  std::map<std::string, Bytes> files;

 private:
  // The paths are kept with "/", which Windows also takes for its own "\\".
  static std::string Key(std::string path) {
    if (std::filesystem::path::preferred_separator == '\\') {
      std::replace(path.begin(), path.end(), '\\', '/');
    }
    return path;
  }

  // "art" and "art/" name the same folder.
  static std::string FolderPrefix(const std::string& path) {
    const std::string key = Key(path);
    return key.ends_with('/') ? key : key + "/";
  }

  // A copy of the file as it was when opened, as an open file would keep it.
  class OwnedSource : public ByteSource {
   public:
    explicit OwnedSource(Bytes bytes) : bytes_(std::move(bytes)), source_(bytes_) {}
    std::uint64_t Size() const override { return source_.Size(); }
    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
      source_.ReadAt(offset, out);
    }

   private:
    Bytes bytes_;
    formats::MemorySource source_;
  };

  class File : public files::ReplacingFile {
   public:
    File(std::string path, std::map<std::string, Bytes>& files)
        : path_(std::move(path)), files_(files), sink_(bytes_) {}
    void Append(ByteView bytes) override { sink_.Append(bytes); }
    void WriteAt(std::uint64_t offset, ByteView bytes) override { sink_.WriteAt(offset, bytes); }
    void Commit() override { files_[path_] = std::move(bytes_); }

   private:
    std::string path_;
    std::map<std::string, Bytes>& files_;
    Bytes bytes_;
    formats::MemorySink sink_;
  };
};

}  // namespace sprite::fakes
