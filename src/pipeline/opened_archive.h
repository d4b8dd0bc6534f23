// An archive opened for a run that only reads it: its file, its header and
// palette read, once the run's files are checked.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "common/byte_io.h"
#include "files/file_system.h"
#include "formats/sprite_archive.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"

namespace sprite::pipeline {

class OpenedArchive {
 public:
  // The archive at `path`; nothing when the front end writes it (its log on
  // standard output: an output refused), or it cannot be opened or is not an
  // archive, each told to `delegate` and counted in `run`.
  static std::optional<OpenedArchive> Open(files::FileSystem& files, RunDelegate& delegate,
                                           const std::string& path, RunReport& run);

  ByteSource& File() { return *file_; }
  formats::ArchiveReader& Reader() { return *reader_; }

 private:
  std::unique_ptr<ByteSource> file_;
  // Reads `file_`, which does not move with this.
  std::unique_ptr<formats::ArchiveReader> reader_;
};

}  // namespace sprite::pipeline
