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
      finishing_(std::move(finishing)),
      barValues_{controls.oProgressBar1.Value(), controls.oProgressBar2.Value()} {
  windows_.SetBeforeMessages([this] { ShowBars(); });
}

WindowRunDelegate::~WindowRunDelegate() {
  windows_.SetBeforeMessages({});
  ShowBars();
}

void WindowRunDelegate::ShowBars() {
  controls_.oProgressBar1.SetValue(barValues_[0]);
  controls_.oProgressBar2.SetValue(barValues_[1]);
}

void WindowRunDelegate::Log(const std::string& line, bool follow) {
  controls_.List1.AddItem(line);
  if (follow) {
    controls_.List1.SelectLast();
  }
}

void WindowRunDelegate::Report(const pipeline::Problem& problem) {
  if (problem.effect == pipeline::Problem::Effect::kArchiveNotOpened) {
    ShowBars();  // the box is shown before this run's end
    box_ = problem;
    return;
  }
  if (!problem.line.empty()) {  // else logged already, in its place
    controls_.List1.AddItem(problem.line);
  }
  // Nobody sees standard error in a window: a line of the log's own words is
  // followed by the file and the reason, in sprite-cli's words.
  if (!problem.lineNamesIt) {
    controls_.List1.AddItem("  " + problem.text);
  }
}

void WindowRunDelegate::Progress(Bar bar, std::int32_t percent) {
  barValues_[bar == Bar::kFirst ? 0 : 1] = percent;
}

bool WindowRunDelegate::ShouldStop() {
  if (pause_ == Pause::kYield) {
    // A request to stop comes while the window processes messages, or from a
    // signal, which may wait the few microseconds until the next look.
    if (yieldsLeftOut_ > 0) {
      --yieldsLeftOut_;
      return false;
    }
    yieldsLeftOut_ = windows_.YieldsPerLook() - 1;
    windows_.Yield();
  } else {
    windows_.Refresh();
  }
  return stopRequested_ || windows_.InterruptRequested();
}

void WindowRunDelegate::ArchiveOpened() {
  controls_.lstFiles.Clear();
}

void WindowRunDelegate::Written(const std::string& path) {
  controls_.lstFiles.AddItem(path);
}

void WindowRunDelegate::Finishing() {
  ShowBars();
  if (finishing_) {
    finishing_();
  }
}

}  // namespace sprite::app
