#include "cli/console_run_delegate.h"

#include "cli/standard_streams.h"

#include "winsys/interrupts.h"

namespace sprite::cli {

void ConsoleRunDelegate::Log(const std::string& line, bool) {
  if (quiet_) {
    return;
  }
  if (logToStandardError_) {
    terminal_.PrintError(line);
  } else {
    terminal_.PrintLine(line);
  }
}

void ConsoleRunDelegate::Report(const pipeline::Problem& problem) {
  if (quiet_ && problem.effect == pipeline::Problem::Effect::kNoted) {
    return;
  }
  // The log keeps the window's lines; the words of the problem go to standard error.
  if (!problem.line.empty()) {
    Log(problem.line, false);
  }
  terminal_.PrintError(prefix_ + problem.text +
                       (problem.detail.empty() ? "" : ": " + problem.detail));
}

void ConsoleRunDelegate::Progress(Bar bar, std::int32_t percent) {
  terminal_.ShowBar(bar == Bar::kFirst ? 0 : 1, percent);
}

std::vector<files::RunFile> ConsoleRunDelegate::FilesWritten() const {
  if (quiet_ || logToStandardError_) {
    return {};
  }
  return {{kStandardStream, "the log on standard output", false}};
}

bool ConsoleRunDelegate::ShouldStop() {
  return winsys::InterruptCaught() || terminal_.OutputLost();
}

}  // namespace sprite::cli
