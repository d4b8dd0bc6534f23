// sprite-cli palette: an archive's palette into a palette file.
#include "cli/command.h"
#include "cli/help_texts.h"
#include "common/text.h"
#include "pipeline/archive_listing.h"

namespace sprite::cli {

namespace {

std::optional<std::string> Check(const Request& request) {
  if (!request.output) {
    return "palette needs a file to write: -o FILE";
  }
  if (!pipeline::PaletteFormatOf(*request.output)) {
    return "-o " + Quoted(*request.output) +
           ": a palette file's name ends in .gpl (GIMP), .pal (JASC) or .png (swatch)";
  }
  return CheckOneArchive(request);
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  return pipeline::ExportPalette(files, delegate, std::string(request.files.front()),
                                 *request.output, *pipeline::PaletteFormatOf(*request.output));
}

}  // namespace

const Command kPaletteCommand{"palette", kPaletteHelp, Check, Run};

}  // namespace sprite::cli
