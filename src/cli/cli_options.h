// sprite-cli's command line read into a request: the options, where they
// may stand, and the checks every command shares.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sprite::cli {

// Exit statuses: every picture stored or written cleanly; the run completed
// but something in the input was wrong; a usage error, an output that cannot
// be written, or a run that was stopped.
inline constexpr int kClean = 0;
inline constexpr int kProblems = 1;
inline constexpr int kNotCompleted = 2;

// Every line on standard error begins with it.
inline constexpr char kPrefix[] = "sprite-cli: ";

struct Request {
  std::string command;
  std::optional<std::string> output;
  std::optional<std::string> directory;
  std::optional<std::string> palette;
  std::optional<std::string> alphaThreshold;
  std::optional<std::string> opaqueIndex0;
  std::optional<std::string> colours;
  std::optional<std::string> dither;
  std::optional<std::string> sheet;
  std::optional<std::string> list;
  bool png = false;
  bool opaque = false;
  bool skipEmpty = false;
  bool json = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
  std::vector<std::string_view>
      files;  // views into the arguments: the file list holds the one copy
};

struct UsageError {
  std::string message;
};

// Options may stand anywhere before "--"; the first other argument is the command.
std::variant<Request, UsageError> Parse(std::span<const std::string_view> args);

// A whole number from `low` to `high`, written in decimal digits alone.
std::optional<std::uint32_t> Number(std::string_view text, std::uint32_t low, std::uint32_t high);

// An option given to a command that does not take it, besides -q and -h.
std::optional<std::string> Misplaced(const Request& request);

// The one archive of decode, palette and list.
std::optional<std::string> CheckOneArchive(const Request& request);

}  // namespace sprite::cli
