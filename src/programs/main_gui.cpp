// sprite: the window program. The files given on the command line fill the
// file list and the output box; the Options are kept in Qt's settings.
#include <QtWidgets/QApplication>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "app/start_arguments.h"
#include "common/utf8_path.h"
#include "files/native_file_system.h"
#include "winsys/qt/qt_window_system.h"

namespace {

constexpr int kUsageError = 2;

std::vector<std::string_view> Arguments(int argc, char** argv) {
  return std::vector<std::string_view>(argv + 1, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
  switch (sprite::app::FindConsoleRequest(Arguments(argc, argv))) {
    case sprite::app::ConsoleRequest::kHelp:
      std::fputs(sprite::app::WindowProgramHelp().c_str(), stdout);
      return 0;
    case sprite::app::ConsoleRequest::kVersion:
      std::fputs(sprite::app::WindowProgramVersion().c_str(), stdout);
      return 0;
    case sprite::app::ConsoleRequest::kNone:
      break;
  }

  // Takes its own options (-platform, -style, ...) out of argv.
  QApplication application(argc, argv);
  // The launcher's name, so that desktops show the window as that application.
  QGuiApplication::setDesktopFileName(QStringLiteral(SPRITE_APP_ID));

  const auto native = sprite::files::MakeNativeFileSystem();
  sprite::files::FileSystem& files = *native;
  std::error_code noFolder;
  const sprite::app::StartFiles start = sprite::app::SortStartFiles(
      Arguments(argc, argv),
      [&files](const std::string& path) { return sprite::app::KindOfFile(files, path); },
      [&files](const std::string& path) { return sprite::app::PicturesInFolder(files, path); },
      sprite::Utf8FromPath(std::filesystem::current_path(noFolder)));
  for (const std::string& note : start.notes) {
    std::fprintf(stderr, "%s\n", note.c_str());
  }
  if (start.usageError) {
    return kUsageError;
  }

  int status = 0;
  int stopSignal = 0;
  {
    sprite::winsys::qt::QtWindowSystem windows;
    // SIGTERM, SIGHUP and SIGINT close the window as its close button does:
    // a running Encode or Decode stops first, leaving whole files only.
    windows.CatchStopSignals();
    sprite::app::Form1 form(windows, files);
    form.AddFiles(start.fileList);
    if (!start.outputPath.empty()) {
      form.SetOutputPath(start.outputPath);
    }
    form.Show();
    status = windows.RunEventLoop();
    stopSignal = windows.StopSignal();
  }
  if (stopSignal != 0) {
    // Ends as a program stopped by that signal does, now that everything is
    // closed, so that whoever sent it sees it did its work.
    std::signal(stopSignal, SIG_DFL);
    std::raise(stopSignal);
  }
  return status;
}
