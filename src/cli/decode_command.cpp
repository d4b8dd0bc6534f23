// sprite-cli decode: an archive into numbered bitmaps or PNG pictures.
#include "cli/command.h"
#include "cli/help_texts.h"
#include "cli/shared_options.h"
#include "cli/standard_streams.h"
#include "pipeline/decode_run.h"

namespace sprite::cli {

namespace {

// The name the bitmaps of an archive read from standard input are named after.
constexpr char kStreamedArchiveName[] = "sprites";

std::optional<std::string> Check(const Request& request) {
  // The options first: "--sheet a.spr" takes the archive as its columns, and
  // is better told so than that no archive was given.
  if (auto error = CheckDecodeOptions(request)) {
    return error;
  }
  return CheckOneArchive(request);
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::string archive(request.files.front());
  pipeline::DecodeRun run(files, delegate, DecodeOptionsOf(request));
  return run.Run(archive, request.directory.value_or(""),
                 archive == kStandardStream ? kStreamedArchiveName : "");
}

}  // namespace

const Command kDecodeCommand{"decode", kDecodeHelp, Check, Run, nullptr, true};

}  // namespace sprite::cli
