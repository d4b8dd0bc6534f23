// sprite-cli encode: pictures into an archive.
#include <algorithm>

#include "cli/command.h"
#include "cli/help_texts.h"
#include "cli/shared_options.h"
#include "cli/standard_streams.h"
#include "common/text.h"
#include "files/standard_stream.h"
#include "formats/entry_limits.h"
#include "formats/sprite_archive.h"
#include "pipeline/encode_run.h"
#include "pipeline/run_inputs.h"

namespace sprite::cli {

namespace {

// --sheet=WxH of encode: the frame size.
std::optional<pipeline::FrameSize> FrameSizeOf(std::string_view text) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) {
    return std::nullopt;
  }
  const auto limit = static_cast<std::uint32_t>(formats::kMaxField);
  const auto width = Number(text.substr(0, x), 1, limit);
  const auto height = Number(text.substr(x + 1), 1, limit);
  if (!width || !height) {
    return std::nullopt;
  }
  return pipeline::FrameSize{*width, *height};
}

std::optional<std::string> Check(const Request& request) {
  if (!request.output) {
    return "encode needs an archive to write: -o ARCHIVE";
  }
  if (request.files.empty()) {
    return "encode needs at least one picture";
  }
  if (std::find(request.files.begin(), request.files.end(), kStandardStream) !=
      request.files.end()) {
    return "pictures are read from files; only decode reads standard input (\"-\")";
  }
  if (*request.output == kStandardStream && files::IsTerminal(files::StandardStream::kOutput)) {
    return "standard output is a terminal; an archive is written there only into a pipe or "
           "a file";
  }
  if (request.sheet && !FrameSizeOf(*request.sheet)) {
    return "--sheet=" + *request.sheet + ": a frame size is WxH, each 1 to 32767, as 32x48";
  }
  if (request.skipEmpty && !request.sheet) {
    return "option \"--skip-empty\" belongs to encode --sheet";
  }
  return CheckMappingOptions(request, PaletteSource::kAsked);
}

// Encode, after its lists and folders are read: a list or folder that cannot
// be read stops the run once its files are checked, before a picture is read.
pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  pipeline::RunInputs inputs = pipeline::ExpandInputs(files, request.files);
  constexpr auto kMaxListedFiles = static_cast<std::size_t>(formats::kMaxEntries);
  if (inputs.paths.size() > kMaxListedFiles) {
    throw UsageError{"a file list holds at most " + std::to_string(kMaxListedFiles) + " files; " +
                     (inputs.listReadNoFurther
                          ? "more were given; the list " + Quoted(*inputs.listReadNoFurther) +
                                " was read no further"
                          : std::to_string(inputs.paths.size()) + " were given")};
  }
  pipeline::EncodeOptions options = MappingOptions(request);
  if (request.sheet) {
    options.sheet = FrameSizeOf(*request.sheet);
  }
  options.skipEmpty = request.skipEmpty;
  options.listFiles = std::move(inputs.lists);
  options.unreadInputs = std::move(inputs.problems);
  Bytes palette(formats::kTrailerSize, 0);
  pipeline::EncodeRun run(files, delegate, options);
  return run.Run(inputs.paths, *request.output, palette);
}

}  // namespace

const Command kEncodeCommand{"encode", kEncodeHelp, Check, Run};

}  // namespace sprite::cli
