#include "files/win32/win32_file_system.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/native_file_system.h"
#include "files/win32/stale_temporaries.h"
#include "files/win32/win32_api.h"
#include "files/win32/win32_paths.h"
#include "files/win32/win32_reasons.h"
#include "files/win32/win32_replacing_file.h"
#include "files/win32/win32_source.h"

namespace sprite::files {
namespace {

// The longest name a folder holds, in UTF-16 units, on every disk Windows writes.
constexpr std::size_t kLongestName = 255;

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

// The folder a name that ends in a separator names.
std::string NamedFolder(const std::string& path) {
  return path.substr(0, path.find_last_not_of("/\\") + 1);
}

// A name that ends in a separator is a folder's: said of the folder there, or
// of what stands in its place.
[[noreturn]] void FailFolderName(const std::string& path) {
  const std::string folder = NamedFolder(path);
  const PathKind kind = folder.empty() ? PathKind::kFolder : Examine(folder).kind;
  if (kind == PathKind::kMissing) {
    Fail(FaultKind::kNoSuchFolder, path, folder);
  }
  if (kind == PathKind::kFile) {
    Fail(FaultKind::kNotAFolder, path, folder);
  }
  FailNotAFile(path, PathKind::kFolder);
}

// The regular file at `path`, open for reading, with its size; `system` its
// system path. The caller owns the handle.
std::pair<HANDLE, std::uint64_t> OpenRegular(const std::string& path, std::wstring& system) {
  if (path.empty()) {
    Fail(FaultKind::kNoFileName, path);
  }
  // "a.bmp\" names no file Windows finds: it names the file as a folder.
  if (EndsWithSeparator(path) && Examine(NamedFolder(path)).kind == PathKind::kFile) {
    Fail(FaultKind::kNotAFolder, path, NamedFolder(path));
  }
  const PathInfo info = Examine(path);
  system = info.system;
  if (info.kind == PathKind::kMissing) {
    ReadFailed(path, info.error);
  }
  if (info.kind != PathKind::kFile) {
    FailNotAFile(path, info.kind);
  }
  Handle file(::CreateFileW(info.system.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    ReadFailed(path, ::GetLastError());
  }
  // Something else may have taken the file's place since it was examined.
  BY_HANDLE_FILE_INFORMATION about{};
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
    FailNotAFile(path, PathKind::kDevice);
  }
  if (::GetFileInformationByHandle(file.Get(), &about) == 0) {
    ReadFailed(path, ::GetLastError());
  }
  if ((about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    FailNotAFile(path, PathKind::kFolder);
  }
  const std::uint64_t size =
      (static_cast<std::uint64_t>(about.nFileSizeHigh) << 32) | about.nFileSizeLow;
  return {file.Release(), size};
}

}  // namespace

bool Win32FileSystem::Exists(const std::string& path) {
  return !path.empty() && Examine(path).kind != PathKind::kMissing;
}

std::optional<FileId> Win32FileSystem::IdOf(const std::string& path) {
  if (path.empty()) {
    return std::nullopt;
  }
  const PathInfo info = Examine(path);
  if (info.kind != PathKind::kFile && info.kind != PathKind::kFolder) {
    return std::nullopt;
  }
  return IdOfSystemPath(info.system);
}

std::optional<WritePlace> Win32FileSystem::PlaceOf(const std::string& path) {
  if (path.empty() || EndsWithSeparator(path)) {
    return std::nullopt;
  }
  const PathInfo info = Examine(path);
  const bool toBeMade = info.kind == PathKind::kMissing && info.error == ERROR_FILE_NOT_FOUND;
  if (info.kind != PathKind::kFile && !toBeMade) {
    return std::nullopt;  // the write will say why
  }
  const std::wstring name = info.system.substr(info.system.find_last_of(L'\\') + 1);
  WritePlace place{IdOfSystemPath(SystemFolderOf(info.system)), NameKey(Narrow(name)),
                   std::nullopt};
  if (!place.folder) {
    return std::nullopt;
  }
  if (info.kind == PathKind::kFile) {
    place.file = IdOfSystemPath(info.system);
  }
  return place;
}

std::string Win32FileSystem::NameKey(std::string_view name) {
  const std::wstring wide = Wide(name);
  std::wstring upper(wide.size(), L'\0');
  const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.c_str(),
                                     static_cast<int>(wide.size()), upper.data(),
                                     static_cast<int>(upper.size()), nullptr, nullptr, 0);
  return length == static_cast<int>(wide.size()) ? Narrow(upper) : std::string(name);
}

std::string Win32FileSystem::FullPath(const std::string& path) {
  return DisplayPath(SystemPath(path));
}

bool Win32FileSystem::IsPlainFile(const std::string& path) {
  return !path.empty() && Examine(path).kind == PathKind::kFile;
}

bool Win32FileSystem::IsFolder(const std::string& path) {
  return !path.empty() && Examine(path).kind == PathKind::kFolder;
}

std::vector<std::string> Win32FileSystem::ListFolder(const std::string& path) {
  if (path.empty()) {
    Fail(FaultKind::kNoFileName, path);
  }
  const PathInfo info = Examine(path);
  if (info.kind == PathKind::kMissing) {
    ReadFailed(path, info.error);
  }
  if (info.kind != PathKind::kFolder) {
    Fail(FaultKind::kNotAFolder, path, path);
  }
  std::wstring pattern = info.system;
  if (!pattern.empty() && pattern.back() != L'\\') {
    pattern += L'\\';
  }
  pattern += L'*';
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    ReadFailed(path, ::GetLastError());
  }
  std::vector<std::string> names;
  DWORD error = 0;
  while (error == 0) {
    const std::wstring_view name(found.cFileName);
    if (name != L"." && name != L"..") {
      names.push_back(Narrow(name));
    }
    if (::FindNextFileW(search, &found) == 0) {
      error = ::GetLastError();
    }
  }
  ::FindClose(search);
  if (error != ERROR_NO_MORE_FILES) {
    ReadFailed(path, error);
  }
  return names;
}

std::unique_ptr<ByteSource> Win32FileSystem::OpenForReading(const std::string& path) {
  std::wstring system;
  const auto [file, size] = OpenRegular(path, system);
  return std::make_unique<Win32Source>(path, file, size);
}

std::unique_ptr<ByteSource> Win32FileSystem::OpenForChange(const std::string& path) {
  std::wstring system;
  const auto [opened, size] = OpenRegular(path, system);
  Handle file(opened);
  // The lock holds one byte far past any file's end, so that it keeps no read
  // out; closing the handle lets it go.
  OVERLAPPED pastEnd{};
  pastEnd.Offset = 0xFFFFFFFE;
  pastEnd.OffsetHigh = 0x7FFFFFFF;
  if (::LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &pastEnd) == 0) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
      return nullptr;
    }
    // A file system without locks (some network ones) still lets the change
    // go on, unlocked, as it did before changes took turns.
    if (error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION) {
      ReadFailed(path, error);
    }
  }
  // The change that held it may have put its new file at the name meanwhile.
  if (IdOfHandle(file.Get()) != IdOfSystemPath(system)) {
    return nullptr;
  }
  return std::make_unique<Win32Source>(path, file.Release(), size);
}

std::unique_ptr<ReplacingFile> Win32FileSystem::CreateReplacing(const std::string& path) {
  if (path.empty()) {
    Fail(FaultKind::kNoFileName, path);
  }
  if (EndsWithSeparator(path)) {
    FailFolderName(path);
  }
  const PathInfo info = ExamineTarget(path);
  if (info.kind == PathKind::kMissing && info.error == ERROR_PATH_NOT_FOUND) {
    Fail(FaultKind::kNoSuchFolder, path, DisplayPath(SystemFolderOf(info.system)));
  }
  if (info.kind == PathKind::kMissing && info.error != ERROR_FILE_NOT_FOUND) {
    WriteFailed(path, info.error);
  }
  if (info.kind != PathKind::kMissing && info.kind != PathKind::kFile) {
    FailNotAFile(path, info.kind);
  }
  // Said before the file is made: the system calls such a name invalid, and
  // Wine says it is not found.
  const std::size_t length = info.system.size() - info.system.find_last_of(L'\\') - 1;
  if (length > kLongestName) {
    Fail(FaultKind::kCannotWrite, path,
         "its name has " + std::to_string(length) + " characters; a name may have at most " +
             std::to_string(kLongestName));
  }
  const std::wstring folder = SystemFolderOf(info.system);
  const bool firstInFolder = foldersSwept_.insert(folder).second;
  if (firstInFolder) {
    RemoveStaleTemporaries(folder);
  }
  try {
    return CreateWin32ReplacingFile(path, info, folder);
  } catch (...) {
    // A folder that cannot take the file now is looked at again next time.
    if (firstInFolder) {
      foldersSwept_.erase(folder);
    }
    throw;
  }
}

void Win32FileSystem::Delete(const std::string& path) noexcept {
  try {
    if (Examine(path).kind == PathKind::kFile) {
      ::DeleteFileW(SystemPath(path).c_str());
    }
  } catch (...) {
    // Deleting is allowed to fail: there may be no such file.
  }
}

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace sprite::files
