// sprite-cli move: an entry of an archive put in another place.
#include "cli/command.h"
#include "cli/entry_commands.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli move [OPTION]... ARCHIVE FROM TO\n"
    "Move entry FROM of the sprite archive ARCHIVE so that it stands at TO;\n"
    "the entries between move up or down by one. Entries are counted from 1;\n"
    "all are copied as they are, none decoded.\n";

std::optional<std::string> Check(const Request& request) {
  const std::span<const std::string_view> operands(request.files);
  if (auto error = CheckOperands(operands, "move", 3, 3,
                                 "an archive and two entry numbers: move ARCHIVE FROM TO")) {
    return error;
  }
  if (auto error = CheckEntryNumbers(operands[1], true)) {
    return error;
  }
  return CheckEntryNumbers(operands[2], true);
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::span<const std::string_view> operands(request.files);
  return RunEdit(request, files, delegate,
                 {pipeline::ArchiveEdit::Kind::kMove, EntryNumbers(operands.subspan(1))});
}

}  // namespace

const Command kMoveCommand{"move", kHelp, Check, Run, kCommonOptions};

}  // namespace sprite::cli
