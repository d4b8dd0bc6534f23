// sprite-cli list: a line for each picture of an archive, or one JSON object.
#include "cli/command.h"
#include "cli/help_texts.h"
#include "pipeline/archive_listing.h"

namespace sprite::cli {

namespace {

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  return pipeline::ListArchive(
      files, delegate, std::string(request.files.front()),
      request.json ? pipeline::ListFormat::kJson : pipeline::ListFormat::kText);
}

}  // namespace

const Command kListCommand{"list", kListHelp, CheckOneArchive, Run, nullptr, true};

}  // namespace sprite::cli
