#include "app/start_arguments.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <filesystem>

#include "app/form1.h"
#include "app/version_text.h"
#include "common/error.h"
#include "common/text.h"
#include "common/utf8_path.h"
#include "formats/sprite_archive.h"
#include "pipeline/run_inputs.h"

namespace sprite::app {
namespace {

constexpr char kPrefix[] = "sprite: ";

constexpr char kHelp[] =
    "Usage: sprite [FILE]...\n"
    "  or:  sprite --help | --version\n"
    "Open the window that packs 8-bit, 256-colour bitmaps into a sprite archive\n"
    "and unpacks archives.\n"
    "\n"
    "The first FILE that is a sprite archive (it starts with the bytes 'S' 'P' 1 2)\n"
    "becomes the archive in the output box; further archives are ignored. Every\n"
    "other FILE joins the file list in the order given, as Add puts it there, and\n"
    "Encode judges it; a folder gives its .bmp and .png files in natural order.\n"
    "A FILE that does not exist is skipped.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help\n"
    "      --version  print the version and the licence\n"
    "  --             every argument after it is a file name\n"
    "\n"
    "The options of the Qt toolkit (-platform NAME, -style NAME, ...) are taken too.\n";

std::string FullPath(std::string_view path, const std::string& currentFolder) {
  const std::filesystem::path given = PathFromUtf8(path);
  if (given.is_absolute()) {
    return Utf8FromPath(given.lexically_normal());
  }
  return Utf8FromPath((PathFromUtf8(currentFolder) / given).lexically_normal());
}

}  // namespace

ConsoleRequest FindConsoleRequest(const std::vector<std::string_view>& args) {
  for (const std::string_view arg : args) {
    if (arg == "--") {
      break;
    }
    if (arg == "-h" || arg == "--help") {
      return ConsoleRequest::kHelp;
    }
    if (arg == "--version") {
      return ConsoleRequest::kVersion;
    }
  }
  return ConsoleRequest::kNone;
}

std::string WindowProgramHelp() {
  return kHelp;
}

std::string WindowProgramVersion() {
  return VersionText("sprite");
}

FileKind KindOfFile(files::FileSystem& files, const std::string& path) {
  if (!files.Exists(path)) {
    return FileKind::kMissing;
  }
  try {
    if (files.IsFolder(path)) {
      return FileKind::kFolder;
    }
    if (!files.IsPlainFile(path)) {
      return FileKind::kOther;
    }
    const auto source = files.OpenForReading(path);
    std::array<std::uint8_t, formats::kArchiveSignature.size()> start{};
    if (source->Size() < start.size()) {
      return FileKind::kOther;
    }
    source->ReadAt(0, start);
    return formats::StartsWithArchiveSignature(start) ? FileKind::kArchive : FileKind::kOther;
  } catch (const std::exception&) {
    return FileKind::kOther;
  }
}

std::vector<std::string> PicturesInFolder(files::FileSystem& files, const std::string& folder) {
  std::vector<std::string> pictures = pipeline::FolderPictures(files, folder);
  // In the system's own form, as Add gives paths ("C:\\w\\a.bmp" on Windows).
  for (std::string& path : pictures) {
    path = Utf8FromPath(PathFromUtf8(path).make_preferred());
  }
  return pictures;
}

StartFiles SortStartFiles(
    const std::vector<std::string_view>& args,
    const std::function<FileKind(const std::string&)>& kindOf,
    const std::function<std::vector<std::string>(const std::string&)>& picturesOf,
    const std::string& currentFolder) {
  StartFiles start;
  // Options end at "--"; a lone "-" is a file name.
  const auto optionsEnd = std::find(args.begin(), args.end(), "--");
  const auto unknown = std::find_if(args.begin(), optionsEnd, [](std::string_view arg) {
    return arg.size() > 1 && arg.front() == '-';
  });
  if (unknown != optionsEnd) {
    start.notes = {kPrefix + ("unknown option " + Quoted(*unknown)),
                   "Try 'sprite --help' for more information."};
    start.usageError = true;
    return start;
  }
  std::size_t notAdded = 0;
  const auto addToList = [&](const std::string& path) {
    if (start.fileList.size() < static_cast<std::size_t>(Form1::kMaxListedFiles)) {
      start.fileList.push_back(path);
    } else {
      ++notAdded;
    }
  };
  std::string_view outputArg;
  for (auto at = args.begin(); at != args.end(); ++at) {
    if (at == optionsEnd) {
      continue;
    }
    const std::string_view arg = *at;
    const std::string path = FullPath(arg, currentFolder);
    switch (kindOf(path)) {
      case FileKind::kMissing:
        start.notes.push_back(kPrefix + std::string(arg) + ": no such file; skipped");
        break;
      case FileKind::kArchive:
        if (start.outputPath.empty()) {
          start.outputPath = path;
          outputArg = arg;
        } else {
          start.notes.push_back(kPrefix + std::string(arg) +
                                ": a further sprite archive; ignored, the output is " +
                                std::string(outputArg));
        }
        break;
      case FileKind::kFolder:
        try {
          std::ranges::for_each(picturesOf(path), addToList);
        } catch (const FaultError& error) {
          start.notes.push_back(kPrefix + Escaped(std::string(arg)) + ": " +
                                Describe(error.Details()) + "; skipped");
        }
        break;
      case FileKind::kOther:
        addToList(path);
        break;
    }
  }
  if (notAdded > 0) {
    start.notes.push_back(kPrefix +
                          ("the file list holds at most " + std::to_string(Form1::kMaxListedFiles) +
                           " files; " + std::to_string(notAdded) + " of the given files " +
                           (notAdded == 1 ? "was" : "were") + " not added"));
  }
  return start;
}

}  // namespace sprite::app
