// Paths as the Windows file layer hands them to the system, and what stands at them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "files/file_system.h"

namespace sprite::files {

// The full path of a UTF-8 path in UTF-16, made absolute against the current
// folder, with both separators taken, and in the \\?\ form that lifts the
// 260-character limit. Device paths (\\.\...) are left as they are.
std::wstring SystemPath(const std::string& path);

// A system path as a person reads it: without the \\?\ prefix, in UTF-8.
std::string DisplayPath(std::wstring_view systemPath);

// The folder a system path lies in, as a system path ("\\?\C:\" for the root).
std::wstring SystemFolderOf(std::wstring_view systemPath);

// Whether the last component of a path is one of the names Windows keeps for
// devices in every folder (NUL, CON, PRN, AUX, COM1 to COM9, LPT1 to LPT9,
// CONIN$, CONOUT$), with or without an extension, in any case.
bool IsReservedName(std::wstring_view systemPath);

// The identity of what a system path names, links followed; folders too.
std::optional<FileId> IdOfSystemPath(const std::wstring& systemPath);

enum class PathKind { kMissing, kFile, kFolder, kDevice, kPipe };

// What stands at a path, found without opening it for reading or writing.
struct PathInfo {
  std::wstring system;  // SystemPath; for a link, its final target
  PathKind kind = PathKind::kMissing;
  std::uint32_t attributes = 0;  // of a file or folder
  std::uint32_t error = 0;       // why it is missing (GetLastError)
};
PathInfo Examine(const std::string& path);

// What stands at a path a file is written to: as Examine, and for a file the
// one a link leads to even where the system shows the link as that file (Wine
// does so for a Unix link), so that the new file takes the place of the file
// the link leads to, never of the link, whose target would be lost.
PathInfo ExamineTarget(const std::string& path);

// A path that names something other than a regular file (kNotAPlainFile).
[[noreturn]] void FailNotAFile(const std::string& path, PathKind kind);

}  // namespace sprite::files
