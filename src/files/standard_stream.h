// The standard streams as the files they may be: what stands at each, and
// whether each can serve its use when a program starts.
#pragma once

#include <cstdint>
#include <optional>

#include "files/file_system.h"

namespace sprite::files {

enum class StandardStream : std::uint8_t { kInput, kOutput, kError };

// The file a standard stream is redirected to or from, when it is a regular
// file; nothing for a terminal, a pipe, a device or a closed stream.
std::optional<FileId> IdOfStandardStream(StandardStream stream);

// Whether each standard stream was open for its use (input for reading,
// output and error for writing) when this was called. A stream that was
// closed is given the null device, so that no file opened later takes its
// place: a file opened while standard output is closed would become it.
struct StandardStreamsAtStart {
  bool input = true;
  bool output = true;
  bool error = true;
};
StandardStreamsAtStart SecureStandardStreams();

// Whether a standard stream is a terminal, a console on Windows: a person
// types its input and reads its output, so no archive belongs there.
bool IsTerminal(StandardStream stream);

// Whether `error`, the errno of a failed write to a standard stream, says its
// reader went away (a pipe closed at the other end): a console program then
// ends without a word.
bool ReaderWentAway(StandardStream stream, int error);

}  // namespace sprite::files
