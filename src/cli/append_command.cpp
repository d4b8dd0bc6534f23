// sprite-cli append: pictures put after the last entry of an archive.
#include "cli/command.h"
#include "cli/entry_commands.h"
#include "cli/shared_options.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli append [OPTION]... ARCHIVE PICTURE...\n"
    "Put the PICTUREs, in the order given, after the last entry of the sprite\n"
    "archive ARCHIVE. They are taken as encode takes them: bitmaps, PNG pictures,\n"
    "@LIST, folders. The archive becomes the one encode would make of its pictures\n"
    "and these; its entries are copied as they are.\n";

std::optional<std::string> Check(const Request& request) {
  const std::span<const std::string_view> operands(request.files);
  if (auto error = CheckOperands(operands, "append", 2, 0,
                                 "an archive and pictures: append ARCHIVE PICTURE...")) {
    return error;
  }
  return CheckMappingOptions(request, PaletteSource::kArchive);
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::span<const std::string_view> operands(request.files);
  return RunEdit(request, files, delegate, {pipeline::ArchiveEdit::Kind::kAppend, {}},
                 operands.subspan(1));
}

}  // namespace

const Command kAppendCommand{"append", kHelp, Check, Run, kPictureOptions};

}  // namespace sprite::cli
