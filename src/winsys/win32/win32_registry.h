#pragma once

#include <cstdint>
#include <map>

#include "winsys/registry_calls.h"

namespace sprite::winsys::win32 {

// The real registry. Keys and value names are UTF-8 and given to the system
// in UTF-16; text values come back in UTF-8, each UTF-16 NUL as one zero byte.
// Open keys are numbered here, since the layer's handles are 32-bit.
class Win32Registry : public RegistryCalls {
 public:
  Win32Registry() = default;
  Win32Registry(const Win32Registry&) = delete;
  Win32Registry& operator=(const Win32Registry&) = delete;
  ~Win32Registry() override;

  std::int32_t RegOpenKeyExA(HKEY key, const std::string& subKey, std::uint32_t options,
                             std::uint32_t desiredAccess, HKEY& result) override;
  std::int32_t RegQueryValueExA(HKEY key, const std::string& valueName, std::uint32_t reserved,
                                std::uint32_t& type, std::span<std::uint8_t> data,
                                std::uint32_t& size) override;
  std::int32_t RegCloseKey(HKEY key) override;

 private:
  void* SystemKey(HKEY key) const;

  std::map<HKEY, void*> open_;
  HKEY next_ = 1;
};

}  // namespace sprite::winsys::win32
