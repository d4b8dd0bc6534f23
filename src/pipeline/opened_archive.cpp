#include "pipeline/opened_archive.h"

#include "common/error.h"
#include "pipeline/run_files_check.h"

namespace sprite::pipeline {

std::optional<OpenedArchive> OpenedArchive::Open(files::FileSystem& files, RunDelegate& delegate,
                                                 const std::string& path, RunReport& run) {
  files::RunFiles reads{.reads = {{path, "the archive"}}, .writes = {}, .numbered = std::nullopt};
  if (auto refused = CheckRunFiles(files, delegate, std::move(reads))) {
    run.outputFailed = true;
    ++run.problems;
    delegate.Report(*refused);
    return std::nullopt;
  }
  OpenedArchive archive;
  try {
    archive.file_ = files.OpenForReading(path);
    archive.reader_ = std::make_unique<formats::ArchiveReader>(*archive.file_);
  } catch (FaultError& error) {
    error.SetPath(path);
    ++run.problems;
    delegate.Report(ArchiveNotOpened(error.Details()));
    return std::nullopt;
  }
  return archive;
}

}  // namespace sprite::pipeline
