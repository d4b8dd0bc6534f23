// A run's delegate that keeps everything it is told, for the pipeline's tests.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "pipeline/run_delegate.h"

namespace sprite::testing {

class RecordingDelegate : public pipeline::RunDelegate {
 public:
  struct Line {
    std::string text;
    bool follow = false;
  };

  void Log(const std::string& line, bool follow) override { lines.push_back({line, follow}); }
  void Report(const pipeline::Problem& problem) override {
    problems.push_back(problem);
    // The log as a window shows it: a problem's line in its place.
    if (!problem.line.empty()) {
      lines.push_back({problem.line, false});
    }
  }
  void Progress(Bar bar, std::int32_t percent) override { progress.emplace_back(bar, percent); }
  bool ShouldStop() override {
    ++stopAsks;
    return stopWhen && stopWhen(stopAsks);
  }
  void Written(const std::string& path) override {
    written.push_back(path);
    if (onWritten) {
      onWritten(path);
    }
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Line& line : lines) {
      texts.push_back(line.text);
    }
    return texts;
  }
  // The kinds of the problems, with the file each names, in order.
  std::vector<std::pair<FaultKind, std::string>> Faults() const {
    std::vector<std::pair<FaultKind, std::string>> faults;
    for (const pipeline::Problem& problem : problems) {
      faults.emplace_back(problem.fault.kind, problem.fault.path);
    }
    return faults;
  }
  std::vector<std::int32_t> Percents(Bar bar) const {
    std::vector<std::int32_t> percents;
    for (const auto& [which, percent] : progress) {
      if (which == bar) {
        percents.push_back(percent);
      }
    }
    return percents;
  }

  std::vector<Line> lines;
  std::vector<pipeline::Problem> problems;
  std::vector<std::pair<Bar, std::int32_t>> progress;
  std::vector<std::string> written;
  long stopAsks = 0;
  // Answers ShouldStop from the number of times it was asked; never stops when empty.
  std::function<bool(long)> stopWhen;
  // Looks at each written file as it is told.
  std::function<void(const std::string&)> onWritten;
};

}  // namespace sprite::testing
