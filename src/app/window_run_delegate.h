// How a run shows in the main window: its lines in the log list, its bars,
// the files Decode writes in the file list, and a message box when the
// archive cannot be decoded at all.
#pragma once

#include <functional>
#include <optional>

#include "app/form1.h"
#include "pipeline/run_delegate.h"

namespace sprite::app {

class WindowRunDelegate : public pipeline::RunDelegate {
 public:
  // How the window breathes while a run goes on: Encode takes no input
  // (kRefresh), Decode lets the window take clicks (kYield).
  enum class Pause : std::uint8_t { kRefresh, kYield };

  // `stopRequested`: the window asked the run to stop (it is being closed).
  // `finishing` runs when the run's files are closed, before its last line.
  WindowRunDelegate(winsys::WindowSystem& windows, const Form1Controls& controls,
                    const bool& stopRequested, Pause pause, std::function<void()> finishing = {});
  ~WindowRunDelegate() override;
  WindowRunDelegate(const WindowRunDelegate&) = delete;
  WindowRunDelegate& operator=(const WindowRunDelegate&) = delete;

  void Log(const std::string& line, bool follow) override;
  void Report(const pipeline::Problem& problem) override;
  void Progress(Bar bar, std::int32_t percent) override;
  bool ShouldStop() override;
  // The file list gives way to the files the archive holds.
  void ArchiveOpened() override;
  void Written(const std::string& path) override;
  void Finishing() override;

  // The problem to show in a message box once the run has ended.
  const std::optional<pipeline::Problem>& Box() const { return box_; }

 private:
  // The bars are set to the run's latest values when the window is about to
  // repaint and when the run ends: between those moments nobody sees them.
  void ShowBars();

  winsys::WindowSystem& windows_;
  Form1Controls controls_;
  const bool& stopRequested_;
  Pause pause_;
  std::function<void()> finishing_;
  std::optional<pipeline::Problem> box_;
  std::int32_t barValues_[2];   // the latest values of the first and the second bar
  unsigned yieldsLeftOut_ = 0;  // of the window system's YieldsPerLook
};

}  // namespace sprite::app
