// sprite-cli's commands: a row each in one table, each command's checks and
// run in a file of its own.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/cli_options.h"
#include "cli/console_run_delegate.h"
#include "files/file_system.h"
#include "pipeline/run_report.h"

namespace sprite::cli {

struct Command {
  std::string_view name;
  // What COMMAND --help prints.
  const char* help;
  // A usage error of the request, once its options stand where they belong.
  std::optional<std::string> (*check)(const Request& request);
  // Runs the command, told to `delegate`. May throw UsageError.
  pipeline::RunReport (*run)(const Request& request, files::FileSystem& files,
                             ConsoleRunDelegate& delegate);
  // Printed after `help`, a blank line between: the options' part of it,
  // where commands share it.
  const char* options = nullptr;
  // "-" reads a sprite archive and nothing else (not palette's bitmaps, PNG
  // pictures and palette files): a stream that does not start as one is
  // refused at its first bytes.
  bool streamsArchive = false;
};

// Each command's row, in its own file.
extern const Command kEncodeCommand;
extern const Command kDecodeCommand;
extern const Command kPaletteCommand;
extern const Command kListCommand;
extern const Command kInfoCommand;
extern const Command kExtractCommand;
extern const Command kReplaceCommand;
extern const Command kInsertCommand;
extern const Command kAppendCommand;
extern const Command kDeleteCommand;
extern const Command kMoveCommand;

// The command named `name`; nothing for an unknown one.
const Command* FindCommand(std::string_view name);

}  // namespace sprite::cli
