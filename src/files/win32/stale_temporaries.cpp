#include "files/win32/stale_temporaries.h"

#include <charconv>

#include "files/win32/win32_api.h"

namespace sprite::files {
namespace {

constexpr std::wstring_view kPrefix = L".sprite-";
constexpr std::wstring_view kSuffix = L".tmp";

std::uint64_t Value(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The start time of a process, or nothing when it cannot be asked.
std::optional<std::uint64_t> StartOf(HANDLE process) {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (::GetProcessTimes(process, &created, &exited, &kernel, &user) == 0) {
    return std::nullopt;
  }
  return Value(created);
}

TemporaryOwner ThisProcess() {
  static const TemporaryOwner self{::GetCurrentProcessId(),
                                   StartOf(::GetCurrentProcess()).value_or(0)};
  return self;
}

bool Runs(const TemporaryOwner& owner) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.process);
  if (process == nullptr) {
    // Another user's process may not be looked at: it may be the writer.
    return ::GetLastError() == ERROR_ACCESS_DENIED;
  }
  DWORD code = 0;
  bool runs = ::GetExitCodeProcess(process, &code) != 0 && code == STILL_ACTIVE;
  const std::optional<std::uint64_t> started = StartOf(process);
  if (runs && started && *started != owner.started) {
    runs = false;  // the id was given to a new process
  }
  ::CloseHandle(process);
  return runs;
}

template <typename Number>
bool ParseNumber(std::wstring_view text, int base, Number& value) {
  if (text.empty() || text.size() > 20) {
    return false;
  }
  char digits[21] = {};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] > 0x7F) {
      return false;
    }
    digits[i] = static_cast<char>(text[i]);
  }
  const auto [end, error] = std::from_chars(digits, digits + text.size(), value, base);
  return error == std::errc() && end == digits + text.size();
}

}  // namespace

std::wstring TemporaryName(std::wstring_view systemFolder, std::uint32_t serial) {
  const TemporaryOwner self = ThisProcess();
  char started[17] = {};
  std::to_chars(started, started + 16, self.started, 16);
  std::wstring name(systemFolder);
  if (!name.empty() && name.back() != L'\\') {
    name += L'\\';
  }
  name += kPrefix;
  name += Wide(std::to_string(self.process) + "-" + started + "-" + std::to_string(serial));
  name += kSuffix;
  return name;
}

std::optional<TemporaryOwner> OwnerOfTemporary(std::wstring_view fileName) {
  if (!fileName.starts_with(kPrefix) || !fileName.ends_with(kSuffix)) {
    return std::nullopt;
  }
  std::wstring_view middle =
      fileName.substr(kPrefix.size(), fileName.size() - kPrefix.size() - kSuffix.size());
  const std::size_t first = middle.find(L'-');
  const std::size_t second = middle.find(L'-', first == std::wstring_view::npos ? 0 : first + 1);
  if (first == std::wstring_view::npos || second == std::wstring_view::npos) {
    return std::nullopt;
  }
  TemporaryOwner owner;
  std::uint32_t serial = 0;
  if (!ParseNumber(middle.substr(0, first), 10, owner.process) ||
      !ParseNumber(middle.substr(first + 1, second - first - 1), 16, owner.started) ||
      !ParseNumber(middle.substr(second + 1), 10, serial)) {
    return std::nullopt;
  }
  return owner;
}

void RemoveStaleTemporaries(std::wstring_view systemFolder) noexcept {
  try {
    std::wstring folder(systemFolder);
    if (!folder.empty() && folder.back() != L'\\') {
      folder += L'\\';
    }
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW((folder + L".sprite-*.tmp").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
      return;
    }
    do {
      const std::optional<TemporaryOwner> owner = OwnerOfTemporary(found.cFileName);
      if (owner && !(*owner == ThisProcess()) && !Runs(*owner)) {
        ::DeleteFileW((folder + found.cFileName).c_str());
      }
    } while (::FindNextFileW(search, &found) != 0);
    ::FindClose(search);
  } catch (...) {
    // Cleaning up is a courtesy: a write goes on without it.
  }
}

}  // namespace sprite::files
