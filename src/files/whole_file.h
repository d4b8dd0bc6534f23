// A file read by path, with faults that name it; and a small file read whole:
// PNG pictures, palette files and list files, which their readers take as bytes.
#pragma once

#include <cstdint>
#include <string>

#include "common/byte_io.h"
#include "common/bytes.h"
#include "common/error.h"
#include "files/file_system.h"

namespace sprite::files {

// Every byte of `file`. A file longer than `limit` is refused before anything
// is read (kFileTooLarge), so that a huge or hostile file costs no memory.
inline Bytes ReadWhole(ByteSource& file, std::uint64_t limit) {
  const std::uint64_t size = file.Size();
  if (size > limit) {
    throw FaultError({.kind = FaultKind::kFileTooLarge,
                      .value = static_cast<std::int64_t>(size),
                      .bound = static_cast<std::int64_t>(limit)});
  }
  Bytes bytes(static_cast<std::size_t>(size));
  file.ReadAt(0, bytes);
  return bytes;
}

// What `use` makes of the file at `path`, opened for reading; a fault, of the
// file or of its bytes, names the path.
template <typename Use>
auto UseFile(FileSystem& files, const std::string& path, Use&& use) {
  try {
    const auto file = files.OpenForReading(path);
    return use(*file);
  } catch (FaultError& error) {
    error.SetPath(path);
    throw;
  }
}

// The file at `path`, read whole.
inline Bytes ReadWhole(FileSystem& files, const std::string& path, std::uint64_t limit) {
  return UseFile(files, path, [limit](ByteSource& file) { return ReadWhole(file, limit); });
}

}  // namespace sprite::files
