// How the Windows file layer reports a failure: the faults every layer shares,
// made in one place from the system's error codes.
#pragma once

#include <cstdint>
#include <string>

#include "common/error.h"

namespace sprite::files {

// The system's words for an error code (GetLastError), without the final period.
std::string SystemReason(std::uint32_t error);

// A fault of `kind` at `path`; `text` as the kind says.
[[noreturn]] void Fail(FaultKind kind, const std::string& path, std::string text = {});

// A call that read or looked up `path` failed with `error`: kNoSuchFile for a
// missing file or folder (or a wildcard that matched none), kCannotRead
// otherwise, and for a name that is not UTF-8 text.
[[noreturn]] void ReadFailed(const std::string& path, std::uint32_t error);

// A call that wrote, made or moved `path` failed with `error` (kCannotWrite).
[[noreturn]] void WriteFailed(const std::string& path, std::uint32_t error);

}  // namespace sprite::files
