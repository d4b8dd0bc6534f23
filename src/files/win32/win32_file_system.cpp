#include "files/win32/win32_file_system.h"

#include "files/native_file_system.h"
#include "files/win32/win32_api.h"
#include "files/win32/win32_paths.h"
#include "files/win32/win32_reasons.h"
#include "files/win32/win32_replacing_file.h"
#include "files/win32/win32_source.h"

namespace sprite::files {
namespace {

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

// Why a path that is missing cannot be used.
[[noreturn]] void FailMissing(const std::string& path, const PathInfo& info) {
  if (info.error == ERROR_PATH_NOT_FOUND) {
    Fail(path, "the folder " + DisplayPath(SystemFolderOf(info.system)) + " does not exist");
  }
  FailWithSystemError(path, info.error);
}

}  // namespace

bool Win32FileSystem::Exists(const std::string& path) {
  return !path.empty() && Examine(path).kind != PathKind::kMissing;
}

bool Win32FileSystem::IsPlainFile(const std::string& path) {
  return !path.empty() && Examine(path).kind == PathKind::kFile;
}

std::unique_ptr<ByteSource> Win32FileSystem::OpenForReading(const std::string& path) {
  if (path.empty()) {
    Fail(path, "no file name was given");
  }
  const PathInfo info = Examine(path);
  if (info.kind == PathKind::kMissing) {
    FailMissing(path, info);
  }
  if (info.kind != PathKind::kFile) {
    Fail(path, NotAFile(info.kind));
  }
  Handle file(::CreateFileW(info.system.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    FailWithSystemError(path, ::GetLastError());
  }
  // Something else may have taken the file's place since it was examined.
  BY_HANDLE_FILE_INFORMATION about{};
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
    Fail(path, NotAFile(PathKind::kDevice));
  }
  if (::GetFileInformationByHandle(file.Get(), &about) == 0) {
    FailWithSystemError(path, ::GetLastError());
  }
  if ((about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    Fail(path, NotAFile(PathKind::kFolder));
  }
  const std::uint64_t size =
      (static_cast<std::uint64_t>(about.nFileSizeHigh) << 32) | about.nFileSizeLow;
  return std::make_unique<Win32Source>(path, file.Release(), size);
}

std::unique_ptr<ReplacingFile> Win32FileSystem::CreateReplacing(const std::string& path) {
  if (path.empty()) {
    Fail(path, "no file name was given");
  }
  if (EndsWithSeparator(path)) {
    Fail(path, "it names a folder, not a file");
  }
  const PathInfo info = Examine(path);
  if (info.kind == PathKind::kMissing && info.error != ERROR_FILE_NOT_FOUND) {
    FailMissing(path, info);
  }
  if (info.kind != PathKind::kMissing && info.kind != PathKind::kFile) {
    Fail(path, NotAFile(info.kind));
  }
  return CreateWin32ReplacingFile(path, info);
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
