// sprite-cli append: pictures put after the last entry of an archive.
#include "cli/entry_commands.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli append [OPTION]... ARCHIVE PICTURE...\n"
    "Put the PICTUREs, in the order given, after the last entry of the sprite\n"
    "archive ARCHIVE. They are taken as encode takes them: bitmaps, PNG pictures,\n"
    "@LIST, folders. The archive becomes the one encode would make of its pictures\n"
    "and these; its entries are copied as they are.\n";

std::optional<std::string> Check(std::span<const std::string_view> operands) {
  return CheckOperands(operands, "append", 2, 0,
                       "an archive and pictures: append ARCHIVE PICTURE...", true);
}

pipeline::RunReport Run(files::FileSystem& files, pipeline::RunDelegate& delegate,
                        const EntryCommandArgs& args) {
  return RunEdit(files, delegate, args, {pipeline::ArchiveEdit::Kind::kAppend, {}},
                 args.operands.subspan(1));
}

}  // namespace

extern const EntryCommand kAppendCommand{"append", kHelp, kPictureOptions, Check, Run};

}  // namespace sprite::cli
