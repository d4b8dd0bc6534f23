#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

namespace sprite::cli {

// The console's two streams: log lines on stdout, message box text on stderr,
// and, when stderr is a terminal, one status line of progress bars that is
// cleared before anything else is printed.
class ConsoleTerminal {
 public:
  explicit ConsoleTerminal(bool drawProgress);
  ~ConsoleTerminal();
  ConsoleTerminal(const ConsoleTerminal&) = delete;
  ConsoleTerminal& operator=(const ConsoleTerminal&) = delete;

  void PrintLine(const std::string& line);
  void PrintError(const std::string& text);
  // Redraws the status line when a bar's shown percentage changed.
  void ShowBar(std::int32_t bar, std::int32_t percent);
  void RemoveBar(std::int32_t bar);
  // A log line could not be written: the reader went away or the disk is full.
  bool OutputLost() const { return outputError_ != 0; }
  // The system's error number for the first line lost, 0 while none is.
  int OutputError() const { return outputError_; }

 private:
  void ClearStatus();
  void DrawStatus();

  static constexpr std::chrono::milliseconds kRedrawInterval{50};

  bool drawProgress_;
  bool sharesTerminal_;  // stdout and stderr both on the terminal
  bool statusShown_ = false;
  int outputError_ = 0;
  std::chrono::steady_clock::time_point lastDraw_;
  std::map<std::int32_t, std::int32_t> bars_;  // handle -> percent
};

}  // namespace sprite::cli
