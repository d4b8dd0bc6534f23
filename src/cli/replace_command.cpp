// sprite-cli replace: one entry of an archive given another picture.
#include "cli/command.h"
#include "cli/entry_commands.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli replace [OPTION]... ARCHIVE N PICTURE\n"
    "Put PICTURE in place of entry N of the sprite archive ARCHIVE (entries are\n"
    "counted from 1). The archive becomes the one encode would make of its\n"
    "pictures with this one changed; the other entries are copied as they are.\n";

std::optional<std::string> Check(const Request& request) {
  return CheckEntryAndPictures(request, "replace", 3,
                               "an archive, an entry number and a picture: replace ARCHIVE N "
                               "PICTURE");
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::span<const std::string_view> operands(request.files);
  return RunEdit(request, files, delegate,
                 {pipeline::ArchiveEdit::Kind::kReplace,
                  EntryNumbers(operands.subspan(1, 1)),
                  {std::string(operands[2])}});
}

}  // namespace

const Command kReplaceCommand{"replace", kHelp, Check, Run, kPictureOptions};

}  // namespace sprite::cli
