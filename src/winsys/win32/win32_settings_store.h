// What the window keeps between runs, as text values of the registry key
// HKEY_CURRENT_USER\Software\Sprite Encoder, which the uninstaller removes.
#pragma once

#include <string>

#include "winsys/settings_store.h"

namespace sprite::winsys::win32 {

class Win32SettingsStore : public SettingsStore {
 public:
  // `key`: under HKEY_CURRENT_USER.
  explicit Win32SettingsStore(std::string key = "Software\\Sprite Encoder")
      : key_(std::move(key)) {}

  std::optional<std::string> Read(const std::string& name) const override;
  void Write(const std::string& name, const std::string& value) override;

 private:
  std::string key_;
};

}  // namespace sprite::winsys::win32
