#include "files/win32/win32_source.h"

#include <algorithm>

#include "files/win32/win32_reasons.h"

namespace sprite::files {

// One read at a time asks for at most this much: ReadFile counts in 32 bits.
constexpr std::size_t kLargestRead = std::size_t{1} << 30;

void Win32Source::ReadFully(std::uint64_t offset, std::span<std::uint8_t> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    OVERLAPPED position = At(offset + done);
    const auto wanted = static_cast<DWORD>(std::min(out.size() - done, kLargestRead));
    DWORD got = 0;
    if (::ReadFile(file_.Get(), out.data() + done, wanted, &got, &position) == 0) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_HANDLE_EOF) {
        ReadFailed(Path(), error);
      }
      got = 0;
    }
    if (got == 0) {
      EndedEarly(offset, done);
    }
    done += got;
  }
}

}  // namespace sprite::files
