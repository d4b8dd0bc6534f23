#include "files/win32/win32_reasons.h"

#include "files/win32/win32_api.h"

namespace sprite::files {

std::string SystemReason(std::uint32_t error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason;
  if (length > 0 && text != nullptr) {
    reason = Narrow(std::wstring_view(text, length));
  }
  ::LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == '.' || reason.back() == ' ')) {
    reason.pop_back();
  }
  return reason.empty() ? "system error " + std::to_string(error) : reason;
}

void Fail(FaultKind kind, const std::string& path, std::string text) {
  throw FaultError({.kind = kind, .path = path, .text = std::move(text)});
}

void ReadFailed(const std::string& path, std::uint32_t error) {
  // A wildcard that matched no file reaches here as it was typed, and Windows
  // calls a name with "*" or "?" invalid.
  const bool unmatched =
      error == ERROR_INVALID_NAME && path.find_first_of("*?") != std::string::npos;
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || unmatched) {
    // Names on the command line come as UTF-16; one that is no UTF-8 came from
    // a list saved in a code page, and named no file.
    if (Narrow(Wide(path)) != path) {
      Fail(FaultKind::kCannotRead, path, "its name is not UTF-8 text: save the list as UTF-8");
    }
    Fail(FaultKind::kNoSuchFile, path);
  }
  Fail(FaultKind::kCannotRead, path, SystemReason(error));
}

void WriteFailed(const std::string& path, std::uint32_t error) {
  Fail(FaultKind::kCannotWrite, path, SystemReason(error));
}

}  // namespace sprite::files
