// sprite-cli: runs the window's Encode and Decode commands from a console.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "winsys/console/console_window_system.h"
#include "winsys/posix/posix_file_system.h"

namespace {

constexpr int kClean = 0;
constexpr int kProblems = 1;
constexpr int kNotCompleted = 2;

constexpr char kUsage[] =
    "Usage: sprite-cli encode -o OUT IN...\n"
    "       sprite-cli decode ARCHIVE\n"
    "       sprite-cli --help | --version\n"
    "\n"
    "encode  packs the 8-bit, 256-colour bitmaps IN... into the sprite archive OUT\n"
    "decode  unpacks ARCHIVE into ARCHIVE.0001.bmp, ARCHIVE.0002.bmp, ... beside it\n"
    "\n"
    "The log lines of the command go to standard output, messages to standard error.\n"
    "Exit status: 0 every picture was stored or written cleanly; 1 a picture was\n"
    "rejected or a warning, failure or message occurred; 2 a usage error or a run\n"
    "that could not complete.\n";

int UsageError(const std::string& what) {
  std::fprintf(stderr, "sprite-cli: %s\n%s", what.c_str(), kUsage);
  return kNotCompleted;
}

struct Request {
  bool encode = false;
  std::string output;
  std::vector<std::string_view> inputs;  // views into argv: the file list holds the one copy
};

int Run(const Request& request) {
  sprite::winsys::ConsoleWindowSystem windows(isatty(STDERR_FILENO) == 1);
  sprite::winsys::PosixFileSystem files;
  sprite::app::Form1 form(windows, files);
  form.Show();

  sprite::winsys::MemoryWindow& window = windows.window(0);
  auto& log = window.listBox("List1");
  log.SetEchoOnly(true);
  log.SetOnAdd([&windows](const std::string& line) { windows.terminal().PrintLine(line); });

  window.textBox("txtOut").SetText(request.output);
  auto& fileList = window.listBox("lstFiles");
  for (const std::string_view input : request.inputs) {
    fileList.AddItem(std::string(input));
  }
  window.button(request.encode ? "Command3" : "Command4").Click();
  std::fflush(stdout);

  const sprite::app::RunReport& report = form.lastRun();
  if (report.cancelled) {
    std::fprintf(stderr, "sprite-cli: stopped; no partial file was left behind\n");
    return kNotCompleted;
  }
  if (request.encode && !report.completed) {
    return kNotCompleted;
  }
  return report.problems > 0 || !report.completed ? kProblems : kClean;
}

}  // namespace

int main(int argc, char** argv) {
  sprite::winsys::ConsoleWindowSystem::InstallInterruptHandler();
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty()) {
    return UsageError("no command given");
  }
  if (args[0] == "--help" || args[0] == "-h") {
    std::fputs(kUsage, stdout);
    return kClean;
  }
  if (args[0] == "--version") {
    const auto app = sprite::winsys::ThisApplication();
    std::printf("%s %d.%d.%d\n", app.title.c_str(), app.major, app.minor, app.revision);
    return kClean;
  }

  Request request;
  if (args[0] == "encode") {
    request.encode = true;
    bool outputGiven = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "-o" || args[i] == "--output") {
        if (i + 1 >= args.size()) {
          return UsageError(std::string(args[i]) + " needs a file name");
        }
        request.output = std::string(args[++i]);
        outputGiven = true;
      } else if (args[i] == "--") {
        request.inputs.insert(request.inputs.end(), args.begin() + i + 1, args.end());
        break;
      } else {
        request.inputs.push_back(args[i]);
      }
    }
    if (!outputGiven) {
      return UsageError("encode needs an output archive: -o OUT");
    }
    if (request.inputs.size() > 32767) {
      return UsageError("a file list holds at most 32767 files; " +
                        std::to_string(request.inputs.size()) + " were given");
    }
  } else if (args[0] == "decode") {
    if (args.size() != 2) {
      return UsageError("decode takes exactly one archive");
    }
    request.output = std::string(args[1]);
  } else {
    return UsageError("unknown command \"" + std::string(args[0]) + "\"");
  }
  try {
    return Run(request);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "sprite-cli: %s\n", error.what());
    return kNotCompleted;
  }
}
