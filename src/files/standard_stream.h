// The standard streams as the files they may be.
#pragma once

#include <cstdint>
#include <optional>

#include "files/file_system.h"

namespace sprite::files {

enum class StandardStream : std::uint8_t { kInput, kOutput, kError };

// The file a standard stream is redirected to or from, when it is a regular
// file; nothing for a terminal, a pipe, a device or a closed stream.
std::optional<FileId> IdOfStandardStream(StandardStream stream);

}  // namespace sprite::files
