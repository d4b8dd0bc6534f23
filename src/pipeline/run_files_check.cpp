#include "pipeline/run_files_check.h"

#include <vector>

namespace sprite::pipeline {

std::optional<Problem> CheckRunFiles(files::FileSystem& files, const RunDelegate& delegate,
                                     files::RunFiles run) {
  // The front end's own files first, so that a clash of theirs with a file
  // read is the one found, and the problem then takes no line of the log.
  const std::vector<files::RunFile> own = delegate.FilesWritten();
  run.writes.insert(run.writes.begin(), own.begin(), own.end());
  const std::optional<files::Clash> clash = files::FindClash(files, run);
  if (!clash) {
    return std::nullopt;
  }
  Problem problem = WriteRefused(
      {.kind = clash->otherWritten ? FaultKind::kOutputWrittenTwice : FaultKind::kOutputIsInput,
       .path = clash->writtenPath,
       .text = clash->other},
      clash->written);
  // A log that is one of the two files takes no line: the problem's words
  // reach the front end all the same.
  for (const files::RunFile& file : own) {
    if (const std::string shown = files::Shown(file);
        shown == clash->written || shown == clash->other) {
      problem.line.clear();
    }
  }
  return problem;
}

}  // namespace sprite::pipeline
