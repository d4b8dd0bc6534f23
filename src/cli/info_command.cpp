// sprite-cli info: what an archive holds, every entry checked.
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

std::optional<std::string> Check(std::span<const std::string_view> operands) {
  return CheckOperands(operands, "info", 1, 1, "one archive: info ARCHIVE", false);
}

pipeline::RunReport Run(files::FileSystem& files, pipeline::RunDelegate& delegate,
                        const EntryCommandArgs& args) {
  return pipeline::CheckArchive(files, delegate, std::string(args.operands.front()));
}

}  // namespace

extern const EntryCommand kInfoCommand{"info", kHelp, kCommonOptions, Check, Run};

}  // namespace sprite::cli
