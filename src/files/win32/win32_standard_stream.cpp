// The standard streams are the process's standard handles.
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

}  // namespace sprite::files
