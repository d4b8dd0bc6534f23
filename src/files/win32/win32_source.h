// An open regular file read by offset through Win32 calls.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "files/read_ahead_source.h"
#include "files/win32/win32_api.h"

namespace sprite::files {

class Win32Source : public ReadAheadSource {
 public:
  // Takes over `file`, an open regular file of `size` bytes.
  Win32Source(std::string path, HANDLE file, std::uint64_t size)
      : ReadAheadSource(std::move(path), size), file_(file) {}

 private:
  void ReadFully(std::uint64_t offset, std::span<std::uint8_t> out) override;

  Handle file_;
};

}  // namespace sprite::files
