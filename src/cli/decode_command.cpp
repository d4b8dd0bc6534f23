// sprite-cli decode: an archive into numbered bitmaps or PNG pictures.
#include <filesystem>

#include "cli/command.h"
#include "cli/help_texts.h"
#include "cli/standard_streams.h"
#include "common/text.h"
#include "common/utf8_path.h"
#include "formats/entry_limits.h"
#include "pipeline/decode_run.h"

namespace sprite::cli {

namespace {

constexpr auto kMaxColumns = static_cast<std::uint32_t>(formats::kMaxEntries);

// The name the bitmaps of an archive read from standard input are named after.
constexpr char kStreamedArchiveName[] = "sprites";

std::optional<std::string> Check(const Request& request) {
  if (request.opaque && !request.png) {
    return "option \"--opaque\" belongs to decode --png";
  }
  if (request.sheet && !request.png) {
    return "option \"--sheet\" of decode needs --png";
  }
  if (request.sheet && !Number(*request.sheet, 1, kMaxColumns)) {
    return "--sheet=" + *request.sheet + ": decode --png takes a number of columns, 1 to 32767";
  }
  if (request.list && *request.list == kStandardStream) {
    return "--list names a file; standard output carries the log";
  }
  if (auto error = CheckOneArchive(request)) {
    return error;
  }
  if (request.directory) {
    std::error_code ignored;
    const std::filesystem::path folder = PathFromUtf8(*request.directory);
    if (!std::filesystem::exists(folder, ignored)) {
      return "no such folder " + Quoted(*request.directory);
    }
    if (!std::filesystem::is_directory(folder, ignored)) {
      return Quoted(*request.directory) + " is not a folder";
    }
  }
  return std::nullopt;
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::string archive(request.files.front());
  pipeline::DecodeOptions options;
  options.png = request.png;
  options.opaque = request.opaque;
  options.sheetColumns = request.sheet ? *Number(*request.sheet, 1, kMaxColumns) : 0;
  options.listPath = request.list.value_or("");
  pipeline::DecodeRun run(files, delegate, options);
  return run.Run(archive, request.directory.value_or(""),
                 archive == kStandardStream ? kStreamedArchiveName : "");
}

}  // namespace

const Command kDecodeCommand{"decode", kDecodeHelp, Check, Run};

}  // namespace sprite::cli
