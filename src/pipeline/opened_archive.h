// An archive opened for a run that reads it: its file, its header and palette read.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/byte_io.h"
#include "files/file_system.h"
#include "formats/sprite_archive.h"
#include "pipeline/problem.h"

namespace sprite::pipeline {

class OpenedArchive {
 public:
  // The archive at `path`; nothing when it cannot be opened or is not an
  // archive, which is told to `report` (ArchiveNotOpened).
  static std::optional<OpenedArchive> Open(files::FileSystem& files, const std::string& path,
                                           const std::function<void(const Problem&)>& report);

  ByteSource& File() { return *file_; }
  formats::ArchiveReader& Reader() { return *reader_; }

 private:
  std::unique_ptr<ByteSource> file_;
  // Reads `file_`, which does not move with this.
  std::unique_ptr<formats::ArchiveReader> reader_;
};

}  // namespace sprite::pipeline
