#include "files/win32/win32_reasons.h"

#include "common/error.h"
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

void Fail(const std::string& path, const std::string& reason) {
  throw IoError(path, reason);
}

void FailWithSystemError(const std::string& path, std::uint32_t error) {
  Fail(path, SystemReason(error));
}

}  // namespace sprite::files
