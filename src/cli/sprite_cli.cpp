// sprite-cli: the window's Encode and Decode runs, and a look into archives,
// from a console.
#include "cli/sprite_cli.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <variant>

#include "app/version_text.h"
#include "cli/command.h"
#include "cli/help_texts.h"
#include "cli/standard_streams.h"
#include "common/text.h"
#include "files/native_file_system.h"
#include "files/standard_stream.h"
#include "winsys/interrupts.h"

namespace sprite::cli {

namespace {

// A usage error that help or --version do not outrank.
std::optional<std::string> Check(const Request& request, const Command* command) {
  if (request.command.empty()) {
    return "no command given";
  }
  if (!command) {
    return "unknown command " + Quoted(request.command);
  }
  if (request.help) {
    return std::nullopt;
  }
  if (auto misplaced = Misplaced(request)) {
    return misplaced;
  }
  return command->check(request);
}

constexpr char kTryHelp[] = "Try 'sprite-cli --help' for more information.\n";

int Usage(const std::string& message) {
  std::fprintf(stderr, "%s%s\n%s", kPrefix, message.c_str(), kTryHelp);
  return kNotCompleted;
}

// Standard output did not take all that was written. A reader that went away
// stops a run without a word, as a closed pipe ends any console program; any
// other fault (a full disk) is said, for the file it went to is cut short.
int OutputLost(int error) {
  if (!files::ReaderWentAway(files::StandardStream::kOutput, error)) {
    std::fprintf(stderr, "%scannot write to standard output: %s\n", kPrefix, std::strerror(error));
  }
  return kNotCompleted;
}

// The end of the text asked for (help, version), once it is all written.
int Printed() {
  return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? kClean : OutputLost(errno);
}

// -q silences log lines only: list's JSON object is what the command was asked
// to print, so a script's "list -q --json" still gets it.
bool LogSilenced(const Request& request) {
  return request.quiet && !request.json;
}

// `streamed`: "-" among the operands, read from standard input (encode and
// the entry commands refuse it).
int Run(const Request& request, const Command& command, files::FileSystem& diskFiles,
        bool streamed) {
  ConsoleTerminal terminal(!request.quiet && files::IsTerminal(files::StandardStream::kError));
  StandardStreams files(diskFiles, streamed && command.streamsArchive);
  // With the archive on standard output, the log goes to standard error.
  const bool archiveOnStandardOutput = request.output == kStandardStream;
  ConsoleRunDelegate delegate(terminal, kPrefix, LogSilenced(request), archiveOnStandardOutput);
  const pipeline::RunReport report = command.run(request, files, delegate);
  // A log that did not reach its reader is a run stopped like Ctrl+C stops it.
  const int flushError = std::fflush(stdout) == 0 ? 0 : errno;
  const int lostError = terminal.OutputLost() ? terminal.OutputError() : flushError;
  if (report.noSuchEntry) {
    std::fputs(kTryHelp, stderr);
  }
  if (lostError != 0) {
    return OutputLost(lostError);
  }
  if (report.cancelled || report.outputFailed || report.noSuchEntry) {
    return kNotCompleted;
  }
  return report.problems > 0 || !report.completed ? kProblems : kClean;
}

}  // namespace

int Main(const std::vector<std::string>& args) {
  const auto files = files::MakeNativeFileSystem();
  return Main(args, *files);
}

int Main(const std::vector<std::string>& args, files::FileSystem& files) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  return Main(views, files);
}

int Main(std::span<const std::string_view> args, files::FileSystem& files) {
  winsys::CatchInterrupts();
  const auto parsed = Parse(args);
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    return Usage(error->message);
  }
  const Request& request = std::get<Request>(parsed);
  const bool streamed =
      std::find(request.files.begin(), request.files.end(), kStandardStream) != request.files.end();
  const char* outputUse = request.output == kStandardStream ? "the archive (-o -)"
                          : request.help || request.version ? "the text asked for"
                          : LogSilenced(request)            ? ""
                                                            : "the log (-q prints none)";
  if (const auto refusal = StandardStreamsRefusal(streamed, outputUse)) {
    std::fprintf(stderr, "%s%s\n", kPrefix, refusal->c_str());
    return kNotCompleted;
  }
  if (request.version) {
    std::fputs(app::VersionText("sprite-cli").c_str(), stdout);
    return Printed();
  }
  if (request.help && request.command.empty()) {
    std::fputs(kHelp, stdout);
    return Printed();
  }
  const Command* command = FindCommand(request.command);
  if (const auto error = Check(request, command)) {
    return Usage(*error);
  }
  if (request.help) {
    std::fputs(command->help, stdout);
    if (command->options != nullptr) {
      std::printf("\n%s", command->options);
    }
    return Printed();
  }
  try {
    return Run(request, *command, files, streamed);
  } catch (const UsageError& error) {
    return Usage(error.message);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s%s\n", kPrefix, error.what());
    return kNotCompleted;
  }
}

}  // namespace sprite::cli
