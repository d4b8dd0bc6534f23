// sprite-cli insert: pictures put before an entry of an archive.
#include "cli/command.h"
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

std::optional<std::string> Check(const Request& request) {
  return CheckEntryAndPictures(request, "insert", 0,
                               "an archive, an entry number and pictures: insert ARCHIVE N "
                               "PICTURE...");
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::span<const std::string_view> operands(request.files);
  return RunEdit(request, files, delegate,
                 {pipeline::ArchiveEdit::Kind::kInsert, EntryNumbers(operands.subspan(1, 1))},
                 operands.subspan(2));
}

}  // namespace

const Command kInsertCommand{"insert", kHelp, Check, Run, kPictureOptions};

}  // namespace sprite::cli
