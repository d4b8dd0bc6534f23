#include "files/win32/win32_paths.h"

#include <algorithm>
#include <array>
#include <cwctype>
#include <utility>

#include "files/win32/win32_api.h"
#include "files/win32/win32_reasons.h"

namespace sprite::files {
namespace {

constexpr std::wstring_view kVerbatim = L"\\\\?\\";
constexpr std::wstring_view kVerbatimUnc = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevices = L"\\\\.\\";

bool StartsWithNoCase(std::wstring_view text, std::wstring_view start) {
  return text.size() >= start.size() &&
         std::equal(start.begin(), start.end(), text.begin(), [](wchar_t a, wchar_t b) {
           return std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b));
         });
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) {
      return path;  // the calls that follow give the reason
    }
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

// The path of the file or folder a handle is open on, links followed; nothing
// when the system cannot say.
std::optional<std::wstring> FinalPathOf(HANDLE handle) {
  std::wstring final(MAX_PATH, L'\0');
  DWORD length =
      ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  if (length >= final.size()) {
    final.resize(length);
    length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  }
  if (length == 0 || length >= final.size()) {
    return std::nullopt;
  }
  final.resize(length);
  return final;
}

std::wstring_view LastComponent(std::wstring_view path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

std::wstring SystemPath(const std::string& path) {
  std::wstring wide = Wide(path);
  if (wide.starts_with(kVerbatim) || wide.starts_with(kDevices)) {
    return wide;
  }
  std::wstring full = FullPath(wide);
  if (full.starts_with(kDevices) || full.starts_with(kVerbatim)) {
    return full;
  }
  if (full.starts_with(L"\\\\")) {
    return std::wstring(kVerbatimUnc) + full.substr(2);
  }
  if (full.size() >= 2 && full[1] == L':') {
    return std::wstring(kVerbatim) + full;
  }
  return full;
}

std::string DisplayPath(std::wstring_view systemPath) {
  if (systemPath.starts_with(kVerbatimUnc)) {
    return "\\\\" + Narrow(systemPath.substr(kVerbatimUnc.size()));
  }
  if (systemPath.starts_with(kVerbatim)) {
    return Narrow(systemPath.substr(kVerbatim.size()));
  }
  return Narrow(systemPath);
}

std::wstring SystemFolderOf(std::wstring_view systemPath) {
  const std::size_t separator = systemPath.find_last_of(L'\\');
  if (separator == std::wstring_view::npos) {
    return L".";
  }
  std::wstring folder(systemPath.substr(0, separator));
  // "\\?\C:" names the volume, "\\?\C:\" its root folder.
  if (folder.size() >= 2 && folder.back() == L':') {
    folder += L'\\';
  }
  return folder;
}

bool IsReservedName(std::wstring_view systemPath) {
  std::wstring_view name = LastComponent(systemPath);
  name = name.substr(0, std::min(name.find(L'.'), name.find(L':')));
  while (!name.empty() && name.back() == L' ') {
    name.remove_suffix(1);
  }
  std::wstring upper(name);
  for (wchar_t& c : upper) {
    c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  }
  static constexpr std::array<std::wstring_view, 6> kNames = {L"CON", L"PRN",    L"AUX",
                                                              L"NUL", L"CONIN$", L"CONOUT$"};
  if (std::find(kNames.begin(), kNames.end(), upper) != kNames.end()) {
    return true;
  }
  // COM1 to COM9 and LPT1 to LPT9, and the superscript digits 1 to 3 Windows also takes.
  if (upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT"))) {
    const wchar_t digit = upper[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
           digit == L'\u00B3';
  }
  return false;
}

std::optional<FileId> IdOfSystemPath(const std::wstring& systemPath) {
  const Handle file(::CreateFileW(systemPath.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file.Valid() ? IdOfHandle(file.Get()) : std::nullopt;
}

PathInfo Examine(const std::string& path) {
  PathInfo info;
  info.system = SystemPath(path);
  if (StartsWithNoCase(info.system, L"\\\\.\\pipe\\") ||
      StartsWithNoCase(info.system, L"\\\\?\\pipe\\")) {
    info.kind = PathKind::kPipe;
    return info;
  }
  if (info.system.starts_with(kDevices) || IsReservedName(info.system)) {
    info.kind = PathKind::kDevice;
    return info;
  }
  DWORD attributes = ::GetFileAttributesW(info.system.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    info.error = ::GetLastError();
    return info;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // A link: what counts is what it leads to, as opening it would follow it.
    Handle target(::CreateFileW(info.system.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION about{};
    if (!target.Valid() || ::GetFileInformationByHandle(target.Get(), &about) == 0) {
      info.error = ::GetLastError();
      return info;
    }
    if (::GetFileType(target.Get()) != FILE_TYPE_DISK) {
      info.kind = PathKind::kDevice;
      return info;
    }
    if (std::optional<std::wstring> final = FinalPathOf(target.Get())) {
      info.system = std::move(*final);
    }
    attributes = about.dwFileAttributes;
  }
  info.attributes = attributes;
  info.kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kFile;
  return info;
}

PathInfo ExamineTarget(const std::string& path) {
  PathInfo info = Examine(path);
  if (info.kind == PathKind::kFile) {
    const Handle file(::CreateFileW(info.system.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (std::optional<std::wstring> final = file.Valid() ? FinalPathOf(file.Get()) : std::nullopt) {
      info.system = std::move(*final);
    }
  }
  return info;
}

void FailNotAFile(const std::string& path, PathKind kind) {
  const char* what = "something other than a regular file";
  switch (kind) {
    case PathKind::kFolder:
      what = "a folder";
      break;
    case PathKind::kDevice:
      what = "a device";
      break;
    case PathKind::kPipe:
      what = "a named pipe";
      break;
    case PathKind::kMissing:
    case PathKind::kFile:
      break;
  }
  Fail(FaultKind::kNotAPlainFile, path, what);
}

}  // namespace sprite::files
