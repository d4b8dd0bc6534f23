#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "winsys/registry_calls.h"

namespace sprite::fakes {

// A registry of a few keys under HKEY_LOCAL_MACHINE, recording every call.
class FakeRegistry : public winsys::RegistryCalls {
 public:
  struct Value {
    std::uint32_t type = winsys::REG_SZ;
    std::vector<std::uint8_t> bytes;
  };

  // A REG_SZ value stored with its terminating zero byte, as the platform usually stores one.
  static Value Text(const std::string& text, bool terminated = true) {
    Value value{winsys::REG_SZ, std::vector<std::uint8_t>(text.begin(), text.end())};
    if (terminated) {
      value.bytes.push_back(0);
    }
    return value;
  }

  void Set(const std::string& key, const std::string& name, Value value) {
    keys_[key][name] = std::move(value);
  }

  std::int32_t RegOpenKeyExA(winsys::HKEY key, const std::string& subKey, std::uint32_t options,
                             std::uint32_t desiredAccess, winsys::HKEY& result) override {
    calls.push_back("RegOpenKeyExA(" + std::to_string(key) + ", " + subKey + ", " +
                    std::to_string(options) + ", " + std::to_string(desiredAccess) + ")");
    result = 0;
    if (key != winsys::HKEY_LOCAL_MACHINE || keys_.count(subKey) == 0) {
      return winsys::ERROR_FILE_NOT_FOUND;
    }
    open_.push_back(subKey);
    result = static_cast<winsys::HKEY>(open_.size());
    return winsys::ERROR_SUCCESS;
  }

  std::int32_t RegQueryValueExA(winsys::HKEY key, const std::string& valueName,
                                std::uint32_t reserved, std::uint32_t& type,
                                std::span<std::uint8_t> data, std::uint32_t& size) override {
    calls.push_back("RegQueryValueExA(" + std::to_string(key) + ", " + valueName + ", " +
                    std::to_string(reserved) + ", " + std::to_string(data.size()) + ", " +
                    std::to_string(size) + ")");
    if (key == 0 || key > open_.size()) {
      return 6;  // ERROR_INVALID_HANDLE
    }
    const auto& values = keys_.at(open_[key - 1]);
    const auto found = values.find(valueName);
    if (found == values.end()) {
      return winsys::ERROR_FILE_NOT_FOUND;
    }
    const Value& value = found->second;
    type = value.type;
    const std::size_t room = std::min<std::size_t>(size, data.size());
    size = static_cast<std::uint32_t>(value.bytes.size());
    if (value.bytes.size() > room) {
      return winsys::ERROR_MORE_DATA;
    }
    std::copy(value.bytes.begin(), value.bytes.end(), data.begin());
    return winsys::ERROR_SUCCESS;
  }

  std::int32_t RegCloseKey(winsys::HKEY key) override {
    calls.push_back("RegCloseKey(" + std::to_string(key) + ")");
    return winsys::ERROR_SUCCESS;
  }

  std::vector<std::string> calls;

 private:
  std::map<std::string, std::map<std::string, Value>> keys_;
  std::vector<std::string> open_;
};

}  // namespace sprite::fakes
