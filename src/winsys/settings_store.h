// Values a window program keeps between runs, by name: Qt's settings on
// Linux, the registry under HKEY_CURRENT_USER on Windows, memory on a console.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace sprite::winsys {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Nothing when the name was never written (or the store cannot be read).
  virtual std::optional<std::string> Read(const std::string& name) const = 0;
  // Kept at once; a store that cannot be written forgets it with the program.
  virtual void Write(const std::string& name, const std::string& value) = 0;
};

// Kept for the program's life only.
class MemorySettingsStore : public SettingsStore {
 public:
  std::optional<std::string> Read(const std::string& name) const override {
    const auto found = values.find(name);
    return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
  }
  void Write(const std::string& name, const std::string& value) override { values[name] = value; }

  std::map<std::string, std::string> values;
};

}  // namespace sprite::winsys
