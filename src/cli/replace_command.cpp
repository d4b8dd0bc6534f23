// sprite-cli replace: one entry of an archive given another picture.
#include "cli/entry_commands.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli replace [OPTION]... ARCHIVE N PICTURE\n"
    "Put PICTURE in place of entry N of the sprite archive ARCHIVE (entries are\n"
    "counted from 1). The archive becomes the one encode would make of its\n"
    "pictures with this one changed; the other entries are copied as they are.\n";

std::optional<std::string> Check(std::span<const std::string_view> operands) {
  if (auto error = CheckOperands(operands, "replace", 3, 3,
                                 "an archive, an entry number and a picture: replace ARCHIVE N "
                                 "PICTURE",
                                 true)) {
    return error;
  }
  return CheckEntryNumbers(operands[1], true);
}

pipeline::RunReport Run(files::FileSystem& files, pipeline::RunDelegate& delegate,
                        const EntryCommandArgs& args) {
  return RunEdit(files, delegate, args,
                 {pipeline::ArchiveEdit::Kind::kReplace,
                  EntryNumbers(args.operands.subspan(1, 1)),
                  {std::string(args.operands[2])}});
}

}  // namespace

extern const EntryCommand kReplaceCommand{"replace", kHelp, kPictureOptions, Check, Run};

}  // namespace sprite::cli
