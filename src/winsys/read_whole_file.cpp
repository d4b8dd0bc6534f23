#include "winsys/file_system.h"

namespace sprite::winsys {

Bytes ReadWholeFile(FileSystem& files, const std::string& path) {
  auto source = files.OpenForReading(path);
  Bytes bytes(source->Size());
  source->ReadAt(0, bytes);
  return bytes;
}

}  // namespace sprite::winsys
