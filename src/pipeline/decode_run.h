// The Decode run: a sprite archive becomes numbered bitmap files.
#pragma once

#include <cstdint>
#include <string>

#include "common/error.h"
#include "files/file_system.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"

namespace sprite::formats {
class ArchiveReader;
}

namespace sprite::pipeline {

class DecodeRun {
 public:
  DecodeRun(files::FileSystem& files, RunDelegate& delegate) : files_(files), delegate_(delegate) {}

  // Writes every picture of the archive at `archivePath` as a bitmap named
  // after it: ARCHIVE.0001.bmp, ARCHIVE.0002.bmp, ... beside the archive, or,
  // with a `folder`, in that folder under the archive's file name, or under
  // `name` when one is given (an archive read from a stream has none). An
  // existing file of such a name is replaced only by a complete new one.
  RunReport Run(const std::string& archivePath, const std::string& folder = {},
                const std::string& name = {});

  // The name of picture `number`: the base, ".", the number with at least four
  // digits, ".bmp".
  static std::string OutputName(const std::string& base, std::int32_t number);

 private:
  // Decodes every entry into a bitmap; returns the count for the "Decoded "
  // line: the header's, or the bitmaps written when an entry ends the run.
  std::int32_t DecodeEntries(const std::string& archivePath, const std::string& base,
                             formats::ArchiveReader& reader);
  void Report(const Problem& problem);
  // A bitmap could not be written (`name`, unless the fault names another):
  // the run writes no more.
  void OutputFailed(FaultError& error, const std::string& name);
  void SyncFolders();

  files::FileSystem& files_;
  RunDelegate& delegate_;
  RunReport report_;
};

}  // namespace sprite::pipeline
