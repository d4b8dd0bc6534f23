#include "app/window_run_delegate.h"

#include <utility>

namespace sprite::app {

WindowRunDelegate::WindowRunDelegate(winsys::WindowSystem& windows, const Form1Controls& controls,
                                     const bool& stopRequested, Pause pause,
                                     std::function<void()> finishing)
    : windows_(windows),
      controls_(controls),
      stopRequested_(stopRequested),
      pause_(pause),
      finishing_(std::move(finishing)) {}

void WindowRunDelegate::Log(const std::string& line, bool follow) {
  controls_.List1.AddItem(line);
  if (follow) {
    controls_.List1.SelectLast();
  }
}

void WindowRunDelegate::Report(const pipeline::Problem& problem) {
  if (problem.effect == pipeline::Problem::Effect::kArchiveNotOpened) {
    box_ = problem;
    return;
  }
  controls_.List1.AddItem(problem.line);
  // Nobody sees standard error in a window: a line of the log's own words is
  // followed by the file and the reason, in sprite-cli's words.
  if (!problem.lineNamesIt) {
    controls_.List1.AddItem("  " + problem.text);
  }
}

void WindowRunDelegate::Progress(Bar bar, std::int32_t percent) {
  (bar == Bar::kFirst ? controls_.oProgressBar1 : controls_.oProgressBar2).SetValue(percent);
}

bool WindowRunDelegate::ShouldStop() {
  if (pause_ == Pause::kYield) {
    windows_.Yield();
  } else {
    windows_.Refresh();
  }
  return stopRequested_ || windows_.InterruptRequested();
}

void WindowRunDelegate::Written(const std::string& path) {
  controls_.lstFiles.AddItem(path);
}

void WindowRunDelegate::Finishing() {
  if (finishing_) {
    finishing_();
  }
}

}  // namespace sprite::app
