// The Windows headers as the file layer uses them, and owned handles.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "common/utf16.h"
#include "files/file_system.h"

namespace sprite::files {

// The position of a read or write at `offset`.
inline OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return position;
}

// The volume and the file an open handle is, as every look at a file's
// identity takes it: the handle of a redirected standard stream may answer
// this question and no other (under Wine, one that was a Unix descriptor).
inline std::optional<FileId> IdOfHandle(HANDLE handle) {
  FILE_ID_INFO id{};
  if (::GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id) != 0) {
    std::uint64_t low = 0;
    static_assert(sizeof id.FileId.Identifier >= sizeof low);
    for (std::size_t i = 0; i < sizeof low; ++i) {
      low |= static_cast<std::uint64_t>(id.FileId.Identifier[i]) << (8 * i);
    }
    return FileId{id.VolumeSerialNumber, low};
  }
  BY_HANDLE_FILE_INFORMATION about{};
  if (::GetFileInformationByHandle(handle, &about) == 0) {
    return std::nullopt;
  }
  return FileId{about.dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(about.nFileIndexHigh) << 32) | about.nFileIndexLow};
}

// Closes a file handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
  void Reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  // Whether CloseHandle succeeded, or true when nothing was open.
  bool Close() {
    const bool closed = !Valid() || ::CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace sprite::files
