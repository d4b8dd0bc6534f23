// What a run tells its front end and asks of it: the window's lists and bars,
// or a console's standard output and standard error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/read_write_guard.h"
#include "pipeline/problem.h"

namespace sprite::pipeline {

class RunDelegate {
 public:
  // The window's two progress bars: Encode sets the first to the share of the
  // listed files done and the second to 0 after each file; Decode sets the
  // first within the coded stream and the second within the rows of the
  // picture being rebuilt.
  enum class Bar : std::uint8_t { kFirst, kSecond };

  virtual ~RunDelegate() = default;

  // A line of the log, exactly as the window shows it; `follow`: the log's
  // selection moves to it.
  virtual void Log(const std::string& line, bool follow) = 0;
  // A problem, worded; its log line, when it has one, is not Logged apart.
  virtual void Report(const Problem& problem) = 0;
  virtual void Progress(Bar bar, std::int32_t percent) = 0;
  // Asked before every listed file and at every step of decoding; the window
  // lets itself repaint here. A run asked to stop leaves every old file as it
  // was and no partial file behind.
  virtual bool ShouldStop() = 0;
  // Decode: the archive opened and is one; its pictures follow.
  virtual void ArchiveOpened() {}
  // A decoded picture's file, once it is on disk under its name.
  virtual void Written(const std::string& /*path*/) {}
  // The run's files are closed; only its last log line follows.
  virtual void Finishing() {}
  // Files the front end writes itself while the run goes on, by the paths the
  // run's file system knows them by (a console's log on standard output): a
  // run never writes over a file it reads there either.
  virtual std::vector<files::RunFile> FilesWritten() const { return {}; }
};

}  // namespace sprite::pipeline
