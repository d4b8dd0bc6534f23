// sprite-cli delete: entries taken out of an archive.
#include "cli/command.h"
#include "cli/entry_commands.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli delete [OPTION]... ARCHIVE N...\n"
    "Take the entries N... out of the sprite archive ARCHIVE. Entries are counted\n"
    "from 1; N is a number, a range or a list: 7, 2-5, 1,4,9. The entries after\n"
    "them move up; all are copied as they are, none decoded. An archive is never\n"
    "left without a picture: deleting every entry leaves it as it was.\n";

std::optional<std::string> Check(const Request& request) {
  const std::span<const std::string_view> operands(request.files);
  if (auto error = CheckOperands(operands, "delete", 2, 0,
                                 "an archive and the entries to delete: delete ARCHIVE N...")) {
    return error;
  }
  return CheckEntryLists(operands.subspan(1));
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::span<const std::string_view> operands(request.files);
  return RunEdit(request, files, delegate,
                 {pipeline::ArchiveEdit::Kind::kDelete, EntryNumbers(operands.subspan(1))});
}

}  // namespace

const Command kDeleteCommand{"delete", kHelp, Check, Run, kCommonOptions};

}  // namespace sprite::cli
