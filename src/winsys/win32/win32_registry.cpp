#include "winsys/win32/win32_registry.h"

#include <algorithm>
#include <vector>

#include "winsys/win32/win32_windows.h"

namespace sprite::winsys::win32 {
namespace {

constexpr HKEY kFirstPredefined = 0x80000000;

bool IsText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

Win32Registry::~Win32Registry() {
  for (const auto& [key, open] : open_) {
    ::RegCloseKey(static_cast<::HKEY>(open));
  }
}

void* Win32Registry::SystemKey(HKEY key) const {
  if (key >= kFirstPredefined) {
    // The predefined roots are 32-bit values, sign-extended on 64-bit Windows.
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(static_cast<std::int32_t>(key)));
  }
  const auto open = open_.find(key);
  return open == open_.end() ? nullptr : open->second;
}

std::int32_t Win32Registry::RegOpenKeyExA(HKEY key, const std::string& subKey,
                                          std::uint32_t options, std::uint32_t desiredAccess,
                                          HKEY& result) {
  result = 0;
  void* parent = SystemKey(key);
  if (parent == nullptr) {
    return ERROR_INVALID_HANDLE;
  }
  ::HKEY opened = nullptr;
  const LSTATUS status = ::RegOpenKeyExW(static_cast<::HKEY>(parent), Wide(subKey).c_str(), options,
                                         desiredAccess, &opened);
  if (status != 0) {
    return status;
  }
  result = next_++;
  open_[result] = opened;
  return 0;
}

std::int32_t Win32Registry::RegQueryValueExA(HKEY key, const std::string& valueName,
                                             std::uint32_t reserved, std::uint32_t& type,
                                             std::span<std::uint8_t> data, std::uint32_t& size) {
  void* open = SystemKey(key);
  if (open == nullptr) {
    return ERROR_INVALID_HANDLE;
  }
  if (reserved != 0) {
    return ERROR_INVALID_PARAMETER;
  }
  const std::wstring name = Wide(valueName);
  DWORD systemType = 0;
  DWORD systemSize = 0;
  LSTATUS status = ::RegQueryValueExW(static_cast<::HKEY>(open), name.c_str(), nullptr, &systemType,
                                      nullptr, &systemSize);
  std::vector<BYTE> raw;
  // The value may grow between the two calls.
  while (status == 0) {
    raw.resize(systemSize);
    status = ::RegQueryValueExW(static_cast<::HKEY>(open), name.c_str(), nullptr, &systemType,
                                raw.data(), &systemSize);
    if (status == 0) {
      raw.resize(systemSize);
      break;
    }
    if (status == ERROR_MORE_DATA) {
      status = 0;
    }
  }
  if (status != 0) {
    return status;
  }
  std::string bytes(raw.begin(), raw.end());
  if (IsText(systemType)) {
    std::wstring text(raw.size() / sizeof(wchar_t), L'\0');
    std::copy_n(raw.begin(), text.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(text.data()));
    bytes = Narrow(text);
  }
  type = systemType;
  const auto length = static_cast<std::uint32_t>(bytes.size());
  if (length > size || length > data.size()) {
    size = length;
    return ERROR_MORE_DATA;
  }
  std::copy(bytes.begin(), bytes.end(), data.begin());
  size = length;
  return 0;
}

std::int32_t Win32Registry::RegCloseKey(HKEY key) {
  const auto open = open_.find(key);
  if (open == open_.end()) {
    return ERROR_INVALID_HANDLE;
  }
  const LSTATUS status = ::RegCloseKey(static_cast<::HKEY>(open->second));
  open_.erase(open);
  return status;
}

}  // namespace sprite::winsys::win32
