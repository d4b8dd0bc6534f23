#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace sprite::winsys {

// Registry key handles; the predefined roots have the platform's published values.
using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;

// Access rights, as the platform publishes them.
inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr std::uint32_t KEY_NOTIFY = 0x0010;
inline constexpr std::uint32_t KEY_CREATE_LINK = 0x0020;
inline constexpr std::uint32_t READ_CONTROL = 0x00020000;
// Reading only: what a standard user may ask for under HKEY_LOCAL_MACHINE.
inline constexpr std::uint32_t KEY_READ =
    READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;

// Value types.
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_DWORD = 4;

// Status codes.
inline constexpr std::int32_t ERROR_SUCCESS = 0;
inline constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::int32_t ERROR_MORE_DATA = 234;

// The registry calls of the platform, single-byte text variants. Each returns a
// status: ERROR_SUCCESS or the reason it failed.
class RegistryCalls {
 public:
  virtual ~RegistryCalls() = default;

  virtual std::int32_t RegOpenKeyExA(HKEY key, const std::string& subKey, std::uint32_t options,
                                     std::uint32_t desiredAccess, HKEY& result) = 0;
  // Copies the value into `data`, whose first `size` bytes may be written, and
  // sets `size` to the bytes the value holds. A value larger than `size` gives
  // ERROR_MORE_DATA. `reserved` must be 0.
  virtual std::int32_t RegQueryValueExA(HKEY key, const std::string& valueName,
                                        std::uint32_t reserved, std::uint32_t& type,
                                        std::span<std::uint8_t> data, std::uint32_t& size) = 0;
  virtual std::int32_t RegCloseKey(HKEY key) = 0;
};

// A registry without keys, for systems that have none: every key is missing.
class EmptyRegistry : public RegistryCalls {
 public:
  std::int32_t RegOpenKeyExA(HKEY, const std::string&, std::uint32_t, std::uint32_t,
                             HKEY& result) override {
    result = 0;
    return ERROR_FILE_NOT_FOUND;
  }
  std::int32_t RegQueryValueExA(HKEY, const std::string&, std::uint32_t, std::uint32_t&,
                                std::span<std::uint8_t>, std::uint32_t&) override {
    return ERROR_FILE_NOT_FOUND;
  }
  std::int32_t RegCloseKey(HKEY) override { return ERROR_FILE_NOT_FOUND; }
};

}  // namespace sprite::winsys
