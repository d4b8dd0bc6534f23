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
  if (auto error = CheckOneArchive(request)) {
    return error;
  }
  return CheckDecodeOptions(request);
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::string archive(request.files.front());
  pipeline::DecodeRun run(files, delegate, DecodeOptionsOf(request));
  return run.Run(archive, request.directory.value_or(""),
                 archive == kStandardStream ? kStreamedArchiveName : "");
}

}  // namespace

const Command kDecodeCommand{"decode", kDecodeHelp, Check, Run};

}  // namespace sprite::cli
