// The Encode run: listed picture files become one sprite archive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "files/file_system.h"
#include "pipeline/picture_source.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"

namespace sprite::formats {
class ArchiveWriter;
}

namespace sprite::pipeline {

class EncodeRun {
 public:
  EncodeRun(files::FileSystem& files, RunDelegate& delegate);
  ~EncodeRun();
  EncodeRun(const EncodeRun&) = delete;
  EncodeRun& operator=(const EncodeRun&) = delete;

  // Stores the pictures of `inputs` (at most 32767 of them), in order, in the
  // archive at `archivePath`. `archivePalette` (1024 bytes, archive order) is
  // the trailer of an archive that stores no picture; every stored picture
  // replaces it with its own palette, so afterwards it holds the last one's.
  // The archive is built beside its target and takes its place only when it is
  // complete: a run that fails or is stopped leaves the old file as it was, and
  // a listed file that is also the archive is read before it is replaced.
  RunReport Run(const std::vector<std::string>& inputs, const std::string& archivePath,
                Bytes& archivePalette);

 private:
  // The per-picture step: reads, checks, codes, verifies and appends one
  // picture. True when it was stored.
  bool AddBitmap(const std::string& path, formats::ArchiveWriter& archive, Bytes& archivePalette);
  void Report(const Problem& problem);
  // Makes the names of the archive durable; a failure is a failed output.
  void SyncFolders();

  files::FileSystem& files_;
  RunDelegate& delegate_;
  std::unique_ptr<PictureSource> source_;
  RunReport report_;
};

}  // namespace sprite::pipeline
