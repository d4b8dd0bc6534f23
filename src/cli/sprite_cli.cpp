// sprite-cli: the window's Encode and Decode runs, from a console.
#include "cli/sprite_cli.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "app/version_text.h"
#include "cli/console_run_delegate.h"
#include "cli/standard_streams.h"
#include "common/text.h"
#include "common/utf8_path.h"
#include "files/native_file_system.h"
#include "formats/entry_limits.h"
#include "formats/sprite_archive.h"
#include "pipeline/decode_run.h"
#include "pipeline/encode_run.h"
#include "winsys/console/console_window_system.h"

namespace {

using sprite::Quoted;

constexpr int kClean = 0;
constexpr int kProblems = 1;
constexpr int kNotCompleted = 2;

constexpr char kPrefix[] = "sprite-cli: ";

constexpr char kHelp[] =
    "Usage: sprite-cli encode [OPTION]... -o ARCHIVE BITMAP...\n"
    "  or:  sprite-cli decode [OPTION]... ARCHIVE\n"
    "  or:  sprite-cli --help | --version\n"
    "Pack 8-bit, 256-colour bitmaps into a sprite archive, or unpack one.\n"
    "\n"
    "Commands:\n"
    "  encode  store the BITMAPs, in the order given, in the sprite archive ARCHIVE\n"
    "  decode  write every picture of ARCHIVE as ARCHIVE.0001.bmp, ARCHIVE.0002.bmp, ...\n"
    "          (ARCHIVE - reads standard input, with -C: sprites.0001.bmp, ...)\n"
    "\n"
    "Options:\n"
    "  -o, --output=ARCHIVE    (encode) the archive to write; an existing one is replaced,\n"
    "                          but only by one that stores a picture; - writes it to\n"
    "                          standard output, and the log then goes to standard error\n"
    "  -C, --directory=FOLDER  (decode) write the bitmaps into FOLDER, which must exist,\n"
    "                          instead of beside the archive\n"
    "  -q, --quiet             print no log lines\n"
    "  -h, --help              print this help; after a command, that command's help\n"
    "      --version           print the version and the licence\n"
    "  --                      every argument after it is a file name\n"
    "\n"
    "The log lines of the command go to standard output, exactly as the window\n"
    "shows them; everything else goes to standard error, one line each.\n"
    "\n"
    "Exit status: 0 every picture was stored or written cleanly; 1 the run\n"
    "completed but something in the input was wrong (a picture not stored or\n"
    "warned about, a damaged, missing or refused input); 2 a usage error, an\n"
    "output that cannot be written or is refused, or a run that was stopped.\n";

constexpr char kEncodeHelp[] =
    "Usage: sprite-cli encode [-q] -o ARCHIVE BITMAP...\n"
    "Store the BITMAPs, in the order given, in the sprite archive ARCHIVE.\n"
    "\n"
    "Only uncompressed 8-bit bitmaps with 256 colours are stored; for every other\n"
    "file a line on standard error says why. The archive keeps one palette, the\n"
    "last stored picture's: a picture with other colours is named in a warning.\n"
    "\n"
    "  -o, --output=ARCHIVE  the archive to write; an existing one is replaced, but\n"
    "                        only by one that stores a picture; - writes it to\n"
    "                        standard output, and the log then goes to standard error\n"
    "  -q, --quiet           print no log lines\n"
    "  -h, --help            print this help\n";

constexpr char kDecodeHelp[] =
    "Usage: sprite-cli decode [-q] [-C FOLDER] ARCHIVE\n"
    "Write every picture of the sprite archive ARCHIVE as an 8-bit bitmap:\n"
    "ARCHIVE.0001.bmp, ARCHIVE.0002.bmp, ... beside the archive. ARCHIVE - reads\n"
    "the archive from standard input; -C is then needed, and the bitmaps are\n"
    "named sprites.0001.bmp, sprites.0002.bmp, ... in FOLDER.\n"
    "\n"
    "  -C, --directory=FOLDER  write the bitmaps into FOLDER, which must exist,\n"
    "                          named after the archive's file name\n"
    "  -q, --quiet             print no log lines\n"
    "  -h, --help              print this help\n";

struct Request {
  std::string command;
  std::optional<std::string> output;
  std::optional<std::string> directory;
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
std::variant<Request, UsageError> Parse(const std::vector<std::string_view>& args) {
  Request request;
  std::vector<std::string_view> operands;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--") {
      operands.insert(operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                      args.end());
      break;
    }
    if (arg.empty() || arg[0] != '-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == sprite::cli::kStandardStream) {  // a standard stream, as a file name
      operands.push_back(arg);
      continue;
    }
    // The value of -o or -C: the rest of the argument, or the next one.
    const auto value = [&](std::string_view attached) -> std::optional<std::string> {
      if (!attached.empty()) {
        return std::string(attached);
      }
      if (i + 1 < args.size()) {
        return std::string(args[++i]);
      }
      return std::nullopt;
    };
    if (arg.starts_with("--")) {
      const std::size_t equals = arg.find('=');
      const std::string_view name = arg.substr(0, equals);
      const bool hasValue = equals != std::string_view::npos;
      const std::string_view attached = hasValue ? arg.substr(equals + 1) : std::string_view{};
      if (name == "--output" || name == "--directory") {
        if (hasValue && attached.empty()) {
          return UsageError{"option " + Quoted(name) + " needs a file name"};
        }
        auto given = value(attached);
        if (!given) {
          return UsageError{"option " + Quoted(name) + " needs a file name"};
        }
        (name == "--output" ? request.output : request.directory) = std::move(given);
      } else if (name == "--quiet" || name == "--help" || name == "--version") {
        if (hasValue) {
          return UsageError{"option " + Quoted(name) + " takes no value"};
        }
        if (name == "--quiet") {
          request.quiet = true;
        } else if (name == "--help") {
          request.help = true;
        } else {
          request.version = true;
        }
      } else {
        return UsageError{"unknown option " + Quoted(name)};
      }
      continue;
    }
    // Short options, which may share one argument: -qo ARCHIVE, -oARCHIVE.
    for (std::size_t at = 1; at < arg.size(); ++at) {
      const char letter = arg[at];
      if (letter == 'q') {
        request.quiet = true;
      } else if (letter == 'h') {
        request.help = true;
      } else if (letter == 'o' || letter == 'C') {
        auto given = value(arg.substr(at + 1));
        if (!given) {
          return UsageError{"option " + Quoted(std::string("-") + letter) + " needs a file name"};
        }
        (letter == 'o' ? request.output : request.directory) = std::move(given);
        break;
      } else {
        return UsageError{"unknown option " + Quoted(std::string("-") + letter)};
      }
    }
  }
  if (!operands.empty()) {
    request.command = std::string(operands.front());
    request.files.assign(operands.begin() + 1, operands.end());
  }
  return request;
}

// A usage error that help or --version do not outrank.
std::optional<std::string> Check(const Request& request) {
  if (request.command.empty()) {
    return "no command given";
  }
  if (request.command != "encode" && request.command != "decode") {
    return "unknown command " + Quoted(request.command);
  }
  if (request.help) {
    return std::nullopt;
  }
  if (request.command == "encode") {
    if (request.directory) {
      return "option \"-C\" (--directory) belongs to decode";
    }
    if (!request.output) {
      return "encode needs an archive to write: -o ARCHIVE";
    }
    if (request.files.empty()) {
      return "encode needs at least one bitmap";
    }
    if (std::find(request.files.begin(), request.files.end(), sprite::cli::kStandardStream) !=
        request.files.end()) {
      return "pictures are read from files; only decode reads standard input (\"-\")";
    }
    if (*request.output == sprite::cli::kStandardStream && isatty(STDOUT_FILENO) == 1) {
      return "standard output is a terminal; an archive is written there only into a pipe or "
             "a file";
    }
    constexpr auto kMaxListedFiles = static_cast<std::size_t>(sprite::formats::kMaxEntries);
    if (request.files.size() > kMaxListedFiles) {
      return "a file list holds at most " + std::to_string(kMaxListedFiles) + " files; " +
             std::to_string(request.files.size()) + " were given";
    }
    return std::nullopt;
  }
  if (request.output) {
    return "option \"-o\" (--output) belongs to encode";
  }
  if (request.files.size() != 1) {
    return request.files.empty() ? "decode needs an archive" : "decode takes exactly one archive";
  }
  if (request.files.front() == sprite::cli::kStandardStream) {
    if (!request.directory) {
      return "decode - needs -C FOLDER: a stream has no name to name the bitmaps after, so "
             "they are named sprites.0001.bmp, ... there";
    }
    if (isatty(STDIN_FILENO) == 1) {
      return "standard input is a terminal; decode - reads an archive from a pipe or a file";
    }
  }
  if (request.directory) {
    std::error_code ignored;
    const std::filesystem::path folder = sprite::PathFromUtf8(*request.directory);
    if (!std::filesystem::exists(folder, ignored)) {
      return "no such folder " + Quoted(*request.directory);
    }
    if (!std::filesystem::is_directory(folder, ignored)) {
      return Quoted(*request.directory) + " is not a folder";
    }
  }
  return std::nullopt;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "%s%s\nTry 'sprite-cli --help' for more information.\n", kPrefix,
               message.c_str());
  return kNotCompleted;
}

// The name the bitmaps of an archive read from standard input are named after.
constexpr char kStreamedArchiveName[] = "sprites";

int Run(const Request& request, sprite::files::FileSystem& diskFiles) {
  sprite::winsys::ConsoleTerminal terminal(!request.quiet && isatty(STDERR_FILENO) == 1);
  sprite::cli::StandardStreams files(diskFiles);
  // With the archive on standard output, the log goes to standard error.
  const bool archiveOnStandardOutput =
      request.output && *request.output == sprite::cli::kStandardStream;
  sprite::cli::ConsoleRunDelegate delegate(terminal, kPrefix, request.quiet,
                                           archiveOnStandardOutput);
  sprite::pipeline::RunReport report;
  if (request.command == "encode") {
    const std::vector<std::string> inputs(request.files.begin(), request.files.end());
    sprite::Bytes palette(sprite::formats::kTrailerSize, 0);
    sprite::pipeline::EncodeRun run(files, delegate);
    report = run.Run(inputs, *request.output, palette);
  } else {
    sprite::pipeline::DecodeRun run(files, delegate);
    const std::string archive(request.files.front());
    report = run.Run(archive, request.directory.value_or(""),
                     archive == sprite::cli::kStandardStream ? kStreamedArchiveName : "");
  }
  // A log that did not reach its reader is a run stopped like Ctrl+C stops it.
  const bool logLost = std::fflush(stdout) != 0 || terminal.OutputLost();
  if (report.cancelled || report.outputFailed || logLost) {
    return kNotCompleted;
  }
  return report.problems > 0 || !report.completed ? kProblems : kClean;
}

}  // namespace

namespace sprite::cli {

int Main(const std::vector<std::string>& args) {
  const auto files = files::MakeNativeFileSystem();
  return Main(args, *files);
}

int Main(const std::vector<std::string>& args, files::FileSystem& files) {
  sprite::winsys::ConsoleWindowSystem::InstallInterruptHandler();
  const auto parsed = Parse(std::vector<std::string_view>(args.begin(), args.end()));
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    return Usage(error->message);
  }
  const Request& request = std::get<Request>(parsed);
  if (request.version) {
    std::fputs(sprite::app::VersionText("sprite-cli").c_str(), stdout);
    return kClean;
  }
  if (request.help && request.command.empty()) {
    std::fputs(kHelp, stdout);
    return kClean;
  }
  if (const auto error = Check(request)) {
    return Usage(*error);
  }
  if (request.help) {
    std::fputs(request.command == "encode" ? kEncodeHelp : kDecodeHelp, stdout);
    return kClean;
  }
  try {
    return Run(request, files);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s%s\n", kPrefix, error.what());
    return kNotCompleted;
  }
}

}  // namespace sprite::cli
