// sprite-cli insert: pictures put before an entry of an archive.
#include "cli/entry_commands.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli insert [OPTION]... ARCHIVE N PICTURE...\n"
    "Put the PICTUREs, in the order given, before entry N of the sprite archive\n"
    "ARCHIVE (entries are counted from 1; N one past the last appends). They are\n"
    "taken as encode takes them: bitmaps, PNG pictures, @LIST, folders. The\n"
    "archive becomes the one encode would make of its pictures so changed; its\n"
    "entries are copied as they are.\n";

std::optional<std::string> Check(std::span<const std::string_view> operands) {
  if (auto error = CheckOperands(operands, "insert", 3, 0,
                                 "an archive, an entry number and pictures: insert ARCHIVE N "
                                 "PICTURE...",
                                 true)) {
    return error;
  }
  return CheckEntryNumbers(operands[1], true);
}

pipeline::RunReport Run(files::FileSystem& files, pipeline::RunDelegate& delegate,
                        const EntryCommandArgs& args) {
  return RunEdit(files, delegate, args,
                 {pipeline::ArchiveEdit::Kind::kInsert, EntryNumbers(args.operands.subspan(1, 1))},
                 args.operands.subspan(2));
}

}  // namespace

extern const EntryCommand kInsertCommand{"insert", kHelp, kPictureOptions, Check, Run};

}  // namespace sprite::cli
