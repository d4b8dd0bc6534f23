#include "winsys/win32/win32_settings_store.h"

#include "winsys/registry_calls.h"
#include "winsys/win32/win32_windows.h"

namespace {

// Outside the platform layer's namespace, where HKEY is the system's.
::HKEY CurrentUser() {
  return HKEY_CURRENT_USER;
}

}  // namespace

namespace sprite::winsys::win32 {

std::optional<std::string> Win32SettingsStore::Read(const std::string& name) const {
  const std::wstring key = Wide(key_);
  const std::wstring value = Wide(name);
  DWORD bytes = 0;
  if (::RegGetValueW(CurrentUser(), key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != 0) {
    return std::nullopt;
  }
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (::RegGetValueW(CurrentUser(), key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, text.data(),
                     &bytes) != 0) {
    return std::nullopt;
  }
  text.resize(wcsnlen(text.c_str(), text.size()));
  return Narrow(text);
}

void Win32SettingsStore::Write(const std::string& name, const std::string& value) {
  const std::wstring text = Wide(value);
  // A value that cannot be kept (a registry the user may not write) is
  // forgotten with the program.
  ::RegSetKeyValueW(CurrentUser(), Wide(key_).c_str(), Wide(name).c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

}  // namespace sprite::winsys::win32
