// The temporary files a write makes beside its target, named after the process
// that writes them, so that those of a killed process can be found and removed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sprite::files {

// Who wrote a temporary file: a process id and that process's start time, so
// that a new process that got a dead one's id is told apart from it.
struct TemporaryOwner {
  std::uint32_t process = 0;
  std::uint64_t started = 0;  // FILETIME, 100 ns since 1601

  bool operator==(const TemporaryOwner&) const = default;
};

// ".sprite-PID-START-SERIAL.tmp" of this process in `systemFolder`.
std::wstring TemporaryName(std::wstring_view systemFolder, std::uint32_t serial);

// The owner a temporary file's name gives; nothing for any other name.
std::optional<TemporaryOwner> OwnerOfTemporary(std::wstring_view fileName);

// Removes the temporary files in `systemFolder` whose process no longer runs.
// A file still open in a running writer cannot be removed and is left alone
// whatever its name says; failures are ignored.
void RemoveStaleTemporaries(std::wstring_view systemFolder) noexcept;

}  // namespace sprite::files
