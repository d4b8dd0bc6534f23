#include "cli/console_terminal.h"

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "files/standard_stream.h"

namespace sprite::cli {

ConsoleTerminal::ConsoleTerminal(bool drawProgress)
    : drawProgress_(drawProgress),
      sharesTerminal_(drawProgress && files::IsTerminal(files::StandardStream::kOutput)) {}

ConsoleTerminal::~ConsoleTerminal() {
  ClearStatus();
}

void ConsoleTerminal::PrintLine(const std::string& line) {
  // Only a status line on the terminal that the log goes to is in the way.
  if (sharesTerminal_) {
    ClearStatus();
  }
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  if (outputError_ == 0 && std::ferror(stdout) != 0) {
    outputError_ = errno;
  }
}

void ConsoleTerminal::PrintError(const std::string& text) {
  ClearStatus();
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", text.c_str());
}

void ConsoleTerminal::ShowBar(std::int32_t bar, std::int32_t percent) {
  if (!drawProgress_) {
    return;
  }
  auto [it, added] = bars_.try_emplace(bar, percent);
  if (!added && it->second == percent) {
    return;
  }
  it->second = percent;
  // A decode moves the bars hundreds of thousands of times; a terminal needs
  // a few pictures a second.
  const auto now = std::chrono::steady_clock::now();
  if (now - lastDraw_ < kRedrawInterval) {
    return;
  }
  lastDraw_ = now;
  DrawStatus();
}

void ConsoleTerminal::RemoveBar(std::int32_t bar) {
  bars_.erase(bar);
}

void ConsoleTerminal::ClearStatus() {
  if (statusShown_) {
    std::fputs("\r\033[K", stderr);
    statusShown_ = false;
  }
}

void ConsoleTerminal::DrawStatus() {
  if (!drawProgress_) {
    return;
  }
  std::fflush(stdout);
  std::string line = "\r";
  constexpr int kCells = 20;
  for (const auto& [bar, percent] : bars_) {
    const int filled = percent * kCells / 100;
    line += "[" + std::string(static_cast<std::size_t>(filled), '#') +
            std::string(static_cast<std::size_t>(kCells - filled), ' ') + "] ";
    line += std::to_string(percent) + "%  ";
  }
  line += "\033[K";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  statusShown_ = true;
}

}  // namespace sprite::cli
