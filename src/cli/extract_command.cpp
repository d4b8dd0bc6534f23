// sprite-cli extract: some of an archive's pictures, written as decode writes them all.
#include "cli/command.h"
#include "cli/entry_commands.h"
#include "cli/shared_options.h"

namespace sprite::cli {
namespace {

constexpr char kHelp[] =
    "Usage: sprite-cli extract [OPTION]... ARCHIVE N...\n"
    "Write the pictures N... of the sprite archive ARCHIVE as 8-bit bitmaps, named\n"
    "as decode names them: ARCHIVE.0002.bmp, ... beside the archive. Entries are\n"
    "counted from 1; N is a number, a range or a list: 7, 2-5, 1,4,9. The other\n"
    "entries are not decoded.\n";

constexpr char kOptions[] =
    "  -C, --directory=FOLDER  write the pictures into FOLDER, which must exist,\n"
    "                          named after the archive's file name\n"
    "      --png               write 8-bit indexed PNG pictures, ARCHIVE.0002.png, ...,\n"
    "                          index 0 see-through\n"
    "      --opaque            with --png, do not mark index 0 see-through\n"
    "      --list=FILE         also write the written files' paths into FILE, one a\n"
    "                          line, for encode @FILE\n"
    "  -q, --quiet             print no log lines\n"
    "  -h, --help              print this help\n";

std::optional<std::string> Check(const Request& request) {
  const std::span<const std::string_view> operands(request.files);
  if (auto error = CheckOperands(operands, "extract", 2, 0,
                                 "an archive and the entries to write: extract ARCHIVE N...")) {
    return error;
  }
  if (auto error = CheckEntryLists(operands.subspan(1))) {
    return error;
  }
  return CheckDecodeOptions(request);
}

pipeline::RunReport Run(const Request& request, files::FileSystem& files,
                        ConsoleRunDelegate& delegate) {
  const std::span<const std::string_view> operands(request.files);
  pipeline::DecodeOptions options = DecodeOptionsOf(request);
  options.entries = EntryNumbers(operands.subspan(1));
  pipeline::DecodeRun run(files, delegate, options);
  return run.Run(std::string(operands.front()), request.directory.value_or(""));
}

}  // namespace

const Command kExtractCommand{"extract", kHelp, Check, Run, kOptions};

}  // namespace sprite::cli
