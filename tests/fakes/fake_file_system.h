#pragma once

#include <atomic>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/error.h"
#include "files/native_file_system.h"

namespace sprite::fakes {

// Real files, with failures the tests cannot cause as root: paths that cannot
// be opened or created, and a write budget that runs out like a full disk.
class FakeFileSystem : public files::FileSystem {
 public:
  bool Exists(const std::string& path) override { return real_->Exists(path); }
  std::optional<files::FileId> IdOf(const std::string& path) override { return real_->IdOf(path); }
  std::optional<files::WritePlace> PlaceOf(const std::string& path) override {
    return real_->PlaceOf(path);
  }
  std::string NameKey(std::string_view name) override { return real_->NameKey(name); }
  std::string FullPath(const std::string& path) override { return real_->FullPath(path); }
  bool IsPlainFile(const std::string& path) override { return real_->IsPlainFile(path); }
  bool IsFolder(const std::string& path) override { return real_->IsFolder(path); }
  std::vector<std::string> ListFolder(const std::string& path) override {
    return real_->ListFolder(path);
  }
  void SyncFolders() override { real_->SyncFolders(); }
  void Delete(const std::string& path) noexcept override { real_->Delete(path); }

  std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override {
    if (unreadable.count(path) != 0) {
      throw FaultError({.kind = FaultKind::kCannotRead, .path = path, .text = "Permission denied"});
    }
    ++opened;
    return real_->OpenForReading(path);
  }

  std::unique_ptr<files::ReplacingFile> CreateReplacing(const std::string& path) override {
    if (uncreatable.count(path) != 0) {
      throw FaultError(
          {.kind = FaultKind::kCannotWrite, .path = path, .text = "Permission denied"});
    }
    auto file = real_->CreateReplacing(path);
    if (writeBudget < 0) {
      return file;
    }
    return std::make_unique<BudgetedFile>(std::move(file), writeBudget);
  }

  std::size_t FilesPerBatch() override {
    return filesPerBatch != 0 ? filesPerBatch : real_->FilesPerBatch();
  }

  std::set<std::string> unreadable;
  std::set<std::string> uncreatable;
  long writeBudget = -1;                // bytes all files may still take; -1 for no limit
  std::size_t filesPerBatch = 0;        // 0: as many as the system allows
  std::atomic<std::size_t> opened = 0;  // files opened for reading so far

 private:
  std::unique_ptr<files::FileSystem> real_ = files::MakeNativeFileSystem();

  class BudgetedFile : public files::ReplacingFile {
   public:
    BudgetedFile(std::unique_ptr<files::ReplacingFile> inner, long& budget)
        : inner_(std::move(inner)), budget_(budget) {}
    void Append(ByteView bytes) override {
      Spend(bytes.size());
      inner_->Append(bytes);
    }
    void WriteAt(std::uint64_t offset, ByteView bytes) override {
      Spend(bytes.size());
      inner_->WriteAt(offset, bytes);
    }
    std::uint64_t Finish() override { return inner_->Finish(); }
    void WaitForDisk() override { inner_->WaitForDisk(); }
    void Commit() override { inner_->Commit(); }

   private:
    void Spend(std::size_t size) {
      if (static_cast<long>(size) > budget_) {
        throw FaultError({.kind = FaultKind::kCannotWrite, .text = "No space left on device"});
      }
      budget_ -= static_cast<long>(size);
    }
    std::unique_ptr<files::ReplacingFile> inner_;
    long& budget_;
  };
};

}  // namespace sprite::fakes
