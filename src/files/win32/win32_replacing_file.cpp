// Writing a temporary file beside the target and putting it in the target's
// place on Commit: moved with write-through to a new name, flushed and then
// swapped with ReplaceFileW over an existing file, whose attributes and
// security it keeps, the old file moved aside and removed.
#include "files/win32/win32_replacing_file.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>

#include "files/buffered_replacing_file.h"
#include "files/win32/stale_temporaries.h"
#include "files/win32/win32_api.h"
#include "files/win32/win32_reasons.h"

namespace sprite::files {
namespace {

constexpr std::size_t kLargestWrite = std::size_t{1} << 30;
constexpr std::uint32_t kFirstAsideSerial = 0x80000000;

// The file at a name as found: its identity, and its size and time, as FAT
// may number a file anew each time it is read back from the disk.
struct FoundFile {
  std::optional<FileId> id;
  std::uint64_t size = 0;
  std::uint64_t written = 0;

  // Another file, put at the name since this one was found.
  bool IsOtherThan(const FoundFile& found) const {
    return id != found.id && (size != found.size || written != found.written);
  }
};

std::optional<FoundFile> FindFile(const std::wstring& system) {
  const Handle file(::CreateFileW(system.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION about{};
  if (!file.Valid() || ::GetFileInformationByHandle(file.Get(), &about) == 0) {
    return std::nullopt;
  }
  const auto wide = [](DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
  };
  return FoundFile{IdOfHandle(file.Get()), wide(about.nFileSizeHigh, about.nFileSizeLow),
                   wide(about.ftLastWriteTime.dwHighDateTime, about.ftLastWriteTime.dwLowDateTime)};
}

class Win32ReplacingFile : public BufferedReplacingFile {
 public:
  Win32ReplacingFile(std::string path, PathInfo target, HANDLE file, std::wstring temp)
      : path_(std::move(path)),
        target_(std::move(target)),
        found_(FindFile(target_.system)),
        file_(file),
        temp_(std::move(temp)) {}

  ~Win32ReplacingFile() override {
    file_.Close();
    if (!temp_.empty()) {
      ::DeleteFileW(temp_.c_str());
    }
  }

  void Commit() override {
    Flush();
    if (target_.kind == PathKind::kFile || !PlaceNew()) {
      Replace();
    }
  }

 private:
  void WriteFully(std::uint64_t offset, ByteView bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      OVERLAPPED position = At(offset + done);
      const auto size = static_cast<DWORD>(std::min(bytes.size() - done, kLargestWrite));
      DWORD put = 0;
      if (::WriteFile(file_.Get(), bytes.data() + done, size, &put, &position) == 0) {
        WriteFailed(path_, ::GetLastError());
      }
      done += put;
    }
  }

  // A new name: the file is closed (a file cannot be moved while it is open)
  // and moved there with write-through, so the name is on the disk when the
  // call returns. False when something appeared at the name meanwhile: that
  // is then replaced like a file found at the start.
  bool PlaceNew() {
    CloseChecked();
    if (::MoveFileExW(temp_.c_str(), target_.system.c_str(), MOVEFILE_WRITE_THROUGH) != 0) {
      temp_.clear();
      return true;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
      WriteFailed(path_, error);
    }
    PathInfo now = ExamineTarget(path_);
    if (now.kind != PathKind::kFile ||
        SystemFolderOf(now.system) != SystemFolderOf(target_.system)) {
      Fail(FaultKind::kChangedMeanwhile, path_);
    }
    target_ = std::move(now);
    found_ = FindFile(target_.system);
    return false;
  }

  // The new content reaches the disk before it takes the old file's place. A
  // read-only file is replaced as on Linux, where only the folder's
  // permissions count, and stays read-only.
  void Replace() {
    if (!file_.Valid()) {
      file_.Reset(::CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file_.Valid()) {
        WriteFailed(path_, ::GetLastError());
      }
    }
    if (::FlushFileBuffers(file_.Get()) == 0) {
      WriteFailed(path_, ::GetLastError());
    }
    CloseChecked();
    ExpectOldFileStillThere();
    const DWORD attributes = target_.attributes;
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly &&
        ::SetFileAttributesW(target_.system.c_str(),
                             attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)) == 0) {
      WriteFailed(path_, ::GetLastError());
    }
    // The old file is moved aside under a name of this run's own: without one,
    // Wine moves it to a name of its own making (rfXXXX.tmp), which it leaves
    // behind when the move fails, and a new file that then cannot be moved in
    // would leave no old one under any name.
    const std::wstring aside = AsideName();
    if (::ReplaceFileW(target_.system.c_str(), temp_.c_str(), aside.c_str(),
                       REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) == 0) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        ::MoveFileExW(aside.c_str(), target_.system.c_str(), MOVEFILE_WRITE_THROUGH);
      }
      if (readOnly) {
        ::SetFileAttributesW(target_.system.c_str(), attributes);
      }
      WriteFailed(path_, error);
    }
    temp_.clear();
    ::DeleteFileW(aside.c_str());  // a failure leaves it to the next run's cleanup
    // The new content keeps the old file's attributes (read-only, hidden, ...)
    // and is marked as changed for backups.
    ::SetFileAttributesW(
        target_.system.c_str(),
        (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL)) | FILE_ATTRIBUTE_ARCHIVE);
  }

  // Another run may have put its own file at the name while this one was
  // written (an Encode while an entry change copies the old archive): that
  // file is not lost under this one, which was made from or for the old.
  void ExpectOldFileStillThere() const {
    const std::optional<FoundFile> now = FindFile(target_.system);
    if (found_ && now && now->IsOtherThan(*found_)) {
      Fail(FaultKind::kChangedMeanwhile, path_);
    }
  }

  // A temporary name no file has: one that only this process makes, with
  // serials past those that writes try in turn from 1.
  std::wstring AsideName() const {
    static std::atomic<std::uint32_t> asides{0};
    return TemporaryName(SystemFolderOf(target_.system), kFirstAsideSerial + asides++);
  }

  // Some file systems report a failed write only when the file is closed.
  void CloseChecked() {
    if (!file_.Close()) {
      WriteFailed(path_, ::GetLastError());
    }
  }

  std::string path_;  // as the caller gave it, for messages
  PathInfo target_;
  std::optional<FoundFile> found_;  // the file at the name when the new one was made
  Handle file_;
  std::wstring temp_;  // the temporary file's name while it exists
};

}  // namespace

std::unique_ptr<ReplacingFile> CreateWin32ReplacingFile(const std::string& path,
                                                        const PathInfo& target,
                                                        const std::wstring& folder) {
  for (std::uint32_t serial = 1;; ++serial) {
    std::wstring temp = TemporaryName(folder, serial);
    // Not shared for deleting: while it is written, no cleanup of another
    // process can remove it.
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      return std::make_unique<Win32ReplacingFile>(path, target, file, std::move(temp));
    }
    const DWORD error = ::GetLastError();
    // Whatever the system calls it (a drive that is not there is "file not
    // found" to some), a folder that is missing is the reason.
    if (error == ERROR_PATH_NOT_FOUND ||
        ::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
      Fail(FaultKind::kNoSuchFolder, path, DisplayPath(folder));
    }
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      WriteFailed(path, error);
    }
  }
}

}  // namespace sprite::files
