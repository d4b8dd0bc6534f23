#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_system.h"

namespace sprite::app {

// A request the window program answers on the console and then ends.
enum class ConsoleRequest { kNone, kHelp, kVersion };

// -h, --help or --version before any "--"; the first one given wins. Looked
// for before the window system starts, so that these need no display.
ConsoleRequest FindConsoleRequest(const std::vector<std::string_view>& args);

std::string WindowProgramHelp();
std::string WindowProgramVersion();

// What a path given on the command line names.
enum class FileKind { kMissing, kArchive, kFolder, kOther };

// kArchive for a plain file that starts with the archive signature, kFolder
// for a folder. Anything else that exists is kOther, even when it cannot be
// read: Encode reports it.
FileKind KindOfFile(files::FileSystem& files, const std::string& path);

// The pictures a folder given on the command line or dropped on the list
// stands for: its .bmp and .png files in natural order, as sprite-cli encode
// takes a folder, in the system's own form. Throws FaultError when it holds
// none or cannot be listed.
std::vector<std::string> PicturesInFolder(files::FileSystem& files, const std::string& folder);

// The files the window starts with.
struct StartFiles {
  std::vector<std::string> fileList;  // in the order given
  std::string outputPath;             // empty when no archive was given
  std::vector<std::string> notes;     // lines for standard error
  bool usageError = false;
};

// Sorts the paths given into the file list and the output path: the first
// archive is the output path, a folder's pictures (`picturesOf`) and every
// other existing path join the list up to its limit. Relative paths are made
// full from `currentFolder`, as Add and Browse give them. `args` holds what
// the window system left of the command line after taking its own options.
StartFiles SortStartFiles(
    const std::vector<std::string_view>& args,
    const std::function<FileKind(const std::string&)>& kindOf,
    const std::function<std::vector<std::string>(const std::string&)>& picturesOf,
    const std::string& currentFolder);

}  // namespace sprite::app
