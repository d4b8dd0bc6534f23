// How a run shows on the console: its log lines on standard output, each
// problem as one line on standard error, the bars on a terminal.
#pragma once

#include <string>
#include <vector>

#include "cli/console_terminal.h"
#include "pipeline/run_delegate.h"

namespace sprite::cli {

class ConsoleRunDelegate : public pipeline::RunDelegate {
 public:
  // `prefix` begins every line on standard error; `quiet` prints no log lines;
  // `logToStandardError` prints them there, when standard output carries the archive.
  ConsoleRunDelegate(ConsoleTerminal& terminal, std::string prefix, bool quiet,
                     bool logToStandardError = false)
      : terminal_(terminal),
        prefix_(std::move(prefix)),
        quiet_(quiet),
        logToStandardError_(logToStandardError) {}

  void Log(const std::string& line, bool follow) override;
  void Report(const pipeline::Problem& problem) override;
  void Progress(Bar bar, std::int32_t percent) override;
  // Ctrl+C, a signal that ends a session, or a reader of the log that went away.
  bool ShouldStop() override;
  // The log, when it goes to standard output.
  std::vector<files::RunFile> FilesWritten() const override;

 private:
  ConsoleTerminal& terminal_;
  std::string prefix_;
  bool quiet_;
  bool logToStandardError_;
};

}  // namespace sprite::cli
