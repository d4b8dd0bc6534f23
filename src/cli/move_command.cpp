// sprite-cli move: an entry of an archive put in another place.
#include "cli/entry_commands.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli move [OPTION]... ARCHIVE FROM TO\n"
    "Move entry FROM of the sprite archive ARCHIVE so that it stands at TO;\n"
    "the entries between move up or down by one. Entries are counted from 1;\n"
    "all are copied as they are, none decoded.\n";

std::optional<std::string> Check(std::span<const std::string_view> operands) {
  if (auto error = CheckOperands(operands, "move", 3, 3,
                                 "an archive and two entry numbers: move ARCHIVE FROM TO", true)) {
    return error;
  }
  if (auto error = CheckEntryNumbers(operands[1], true)) {
    return error;
  }
  return CheckEntryNumbers(operands[2], true);
}

pipeline::RunReport Run(files::FileSystem& files, pipeline::RunDelegate& delegate,
                        const EntryCommandArgs& args) {
  return RunEdit(files, delegate, args,
                 {pipeline::ArchiveEdit::Kind::kMove, EntryNumbers(args.operands.subspan(1))});
}

}  // namespace

extern const EntryCommand kMoveCommand{"move", kHelp, kCommonOptions, Check, Run};

}  // namespace sprite::cli
