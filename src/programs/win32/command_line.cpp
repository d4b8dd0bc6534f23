#include "programs/win32/command_line.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <utility>

#include "common/utf16.h"
#include "pipeline/natural_order.h"

namespace sprite::programs {
namespace {

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

std::u16string Upper(std::u16string text) {
  if (!text.empty()) {
    ::CharUpperBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
  }
  return text;
}

// The names in a folder that a pattern matches, in natural order (walk_2
// before walk_10), as a folder given to sprite-cli lists its pictures.
std::vector<std::string> Matches(const std::string& arg) {
  const std::size_t separator = arg.find_last_of("/\\");
  const std::string folder = separator == std::string::npos ? "" : arg.substr(0, separator + 1);
  const std::u16string pattern =
      Upper(Utf16FromUtf8(separator == std::string::npos ? arg : arg.substr(separator + 1)));
  if (HasWildcard(folder)) {
    return {};
  }
  const std::wstring search = Wide(folder + "*");
  WIN32_FIND_DATAW found{};
  HANDLE listing = ::FindFirstFileExW(search.c_str(), FindExInfoBasic, &found,
                                      FindExSearchNameMatch, nullptr, 0);
  if (listing == INVALID_HANDLE_VALUE) {
    return {};
  }
  std::vector<std::u16string> names;
  do {
    const std::u16string name(found.cFileName, found.cFileName + std::wcslen(found.cFileName));
    const bool hidden =
        (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    if (name != u"." && name != u".." && !hidden && MatchesWildcard(Upper(name), pattern)) {
      names.push_back(name);
    }
  } while (::FindNextFileW(listing, &found) != 0);
  ::FindClose(listing);
  std::vector<std::string> paths;
  for (const std::u16string& name : names) {
    paths.push_back(Utf8FromUtf16(name));
  }
  std::sort(paths.begin(), paths.end(), pipeline::NaturalLess);
  for (std::string& path : paths) {
    path.insert(0, folder);
  }
  return paths;
}

// Whether an option takes the next argument as its value.
bool TakesValue(std::string_view arg) {
  if (arg == "--output" || arg == "--directory") {
    return true;
  }
  if (arg.starts_with("--") || arg.size() < 2) {
    return false;
  }
  // Short options share one argument; -o and -C take the rest of it, or the next one.
  const std::size_t value = arg.find_first_of("oC", 1);
  return value == arg.size() - 1;
}

}  // namespace

std::vector<std::string> CommandLineArguments() {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) {
    args.push_back(Narrow(wide[i]));
  }
  ::LocalFree(wide);
  return args;
}

bool MatchesWildcard(std::u16string_view name, std::u16string_view pattern) {
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starAt = std::u16string_view::npos;
  std::size_t resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starAt = p++;
      resumeAt = n;
    } else if (starAt != std::u16string_view::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') {
    ++p;
  }
  return p == pattern.size();
}

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& args) {
  std::vector<std::string> expanded;
  bool optionsEnded = false;
  bool valueNext = false;
  for (const std::string& arg : args) {
    const bool isValue = std::exchange(valueNext, false);
    if (!optionsEnded && !isValue && arg.starts_with('-')) {
      optionsEnded = arg == "--";
      valueNext = TakesValue(arg);
      expanded.push_back(arg);
      continue;
    }
    std::vector<std::string> matches =
        !isValue && HasWildcard(arg) ? Matches(arg) : std::vector<std::string>{};
    if (matches.empty()) {
      expanded.push_back(arg);
    } else {
      expanded.insert(expanded.end(), matches.begin(), matches.end());
    }
  }
  return expanded;
}

ConsoleOutput::ConsoleOutput() : codePage_(::GetConsoleOutputCP()) {
  // An archive may come on standard input and go to standard output: bytes
  // pass as they are, and log lines end in "\n" as on Linux.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  ::SetConsoleOutputCP(CP_UTF8);
  HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (::GetConsoleMode(error, &mode) != 0) {
    ::SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
}

ConsoleOutput::~ConsoleOutput() {
  std::fflush(stdout);
  std::fflush(stderr);
  if (codePage_ != 0) {
    ::SetConsoleOutputCP(codePage_);
  }
}

void ShowConsoleAnswer(const std::string& title, const std::string& text) {
  if (::AttachConsole(ATTACH_PARENT_PROCESS) != 0) {
    HANDLE output = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (output != INVALID_HANDLE_VALUE) {
      const std::wstring wide = Wide(text);
      DWORD written = 0;
      ::WriteConsoleW(output, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
      ::CloseHandle(output);
      return;
    }
  }
  ::MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(), MB_OK);
}

}  // namespace sprite::programs
