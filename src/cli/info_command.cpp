// sprite-cli info: what an archive holds, every entry checked.
#include "cli/command.h"
#include "cli/entry_commands.h"
#include "pipeline/archive_check.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli info [OPTION]... ARCHIVE\n"
    "Say what the sprite archive ARCHIVE holds: its number of pictures and size,\n"
    "how many of its palette's 256 colours the pictures use, and whether any is\n"
    "damaged. Every entry is decoded in memory and checked; nothing is written.\n"
    "ARCHIVE - reads standard input. Exit status 1 when anything is damaged.\n";

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::span<const std::string_view> operands(request.files);
  return pipeline::CheckArchive(files, delegate, std::string(operands.front()));
}

}  // namespace

const Command kInfoCommand{"info", kHelp, CheckOneArchive, Run, kCommonOptions, true};

}  // namespace sprite::cli
