// sprite.exe: the window program on the Win32 backend. The files given on the
// command line fill the file list and the output box, as on Linux; the
// Options are kept in the registry.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "app/start_arguments.h"
#include "common/utf8_path.h"
#include "files/native_file_system.h"
#include "programs/win32/command_line.h"
#include "winsys/win32/win32_window_system.h"

namespace {

constexpr int kUsageError = 2;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\n";
  }
  return text;
}

}  // namespace

// The entry of a window program taking its command line in UTF-16; its
// arguments are read with CommandLineArguments instead.
extern "C" int wWinMain(void*, void*, wchar_t*, int) {
  const std::vector<std::string> given = sprite::programs::CommandLineArguments();
  const std::vector<std::string_view> args(given.begin(), given.end());
  const std::string title = sprite::winsys::ThisApplication().title;
  switch (sprite::app::FindConsoleRequest(args)) {
    case sprite::app::ConsoleRequest::kHelp:
      sprite::programs::ShowConsoleAnswer(title, sprite::app::WindowProgramHelp());
      return 0;
    case sprite::app::ConsoleRequest::kVersion:
      sprite::programs::ShowConsoleAnswer(title, sprite::app::WindowProgramVersion());
      return 0;
    case sprite::app::ConsoleRequest::kNone:
      break;
  }

  const auto files = sprite::files::MakeNativeFileSystem();
  std::error_code noFolder;
  const sprite::app::StartFiles start = sprite::app::SortStartFiles(
      args, [&files](const std::string& path) { return sprite::app::KindOfFile(*files, path); },
      [&files](const std::string& path) { return sprite::app::PicturesInFolder(*files, path); },
      sprite::Utf8FromPath(std::filesystem::current_path(noFolder)));
  if (start.usageError) {
    sprite::programs::ShowConsoleAnswer(title, Joined(start.notes));
    return kUsageError;
  }

  sprite::winsys::win32::Win32WindowSystem windows;
  sprite::app::Form1 form(windows, *files);
  form.AddFiles(start.fileList);
  if (!start.outputPath.empty()) {
    form.SetOutputPath(start.outputPath);
  }
  form.Show();
  if (!start.notes.empty()) {
    windows.MessageBox(Joined(start.notes));
  }
  return windows.RunEventLoop();
}
