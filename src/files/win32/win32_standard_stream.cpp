// The standard streams are the process's standard handles, and the C
// runtime's descriptors 0, 1 and 2 over them.
#include <io.h>

#include <cerrno>
#include <cstdio>

#include "files/standard_stream.h"
#include "files/win32/win32_api.h"
#include "files/win32/win32_paths.h"

namespace sprite::files {
namespace {

constexpr DWORD kHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};

HANDLE HandleOf(int stream) {
  return ::GetStdHandle(kHandles[stream]);
}

bool IsOpen(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

std::optional<FileId> IdOfStandardStream(StandardStream stream) {
  const HANDLE handle = HandleOf(static_cast<int>(stream));
  if (!IsOpen(handle) || ::GetFileType(handle) != FILE_TYPE_DISK) {
    return std::nullopt;
  }
  std::optional<FileId> id = IdOfHandle(handle);
  // Wine knows no volume for a handle made of a Unix descriptor: it has one,
  // its Z: drive, for every Unix path.
  if (id && id->device == 0) {
    if (const auto here = IdOfSystemPath(SystemPath("."))) {
      id->device = here->device;
    }
  }
  return id;
}

StandardStreamsAtStart SecureStandardStreams() {
  std::FILE* const streams[] = {stdin, stdout, stderr};
  bool open[3];
  for (int i = 0; i < 3; ++i) {
    const HANDLE handle = HandleOf(i);
    open[i] = IsOpen(handle) && _fileno(streams[i]) >= 0 &&
              IsOpen(reinterpret_cast<HANDLE>(_get_osfhandle(i)));
    // Writing nothing tells a stream open for writing from a closed or
    // read-only one (which Wine gives a handle that takes no writes).
    DWORD written = 0;
    if (open[i] && i > 0 && ::WriteFile(handle, "", 0, &written, nullptr) == 0) {
      open[i] = false;
    }
  }
  // The null device in each closed one, for the runtime and the system alike.
  for (int i = 0; i < 3; ++i) {
    if (!open[i] && std::freopen("NUL", i == 0 ? "rb" : "wb", streams[i]) != nullptr) {
      ::SetStdHandle(kHandles[i], reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(streams[i]))));
    }
  }
  return {open[0], open[1], open[2]};
}

bool IsTerminal(StandardStream stream) {
  // The C runtime's isatty counts every character device, the null device
  // too, and answers with a flag rather than 1; a console takes a mode.
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(static_cast<int>(stream)));
  DWORD mode = 0;
  return IsOpen(handle) && ::GetConsoleMode(handle, &mode) != 0;
}

bool ReaderWentAway(StandardStream stream, int error) {
  // The C runtime has no word for a pipe whose reader closed it
  // (ERROR_NO_DATA): it says EINVAL.
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(static_cast<int>(stream)));
  return error == EPIPE ||
         (error == EINVAL && IsOpen(handle) && ::GetFileType(handle) == FILE_TYPE_PIPE);
}

}  // namespace sprite::files
