// The commands of sprite-cli that work on the entries of an existing archive:
// extract, replace, insert, append, delete, move, and info. Each has a file of
// its own with its help, the check of its operands and its run.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_system.h"
#include "pipeline/decode_run.h"
#include "pipeline/edit_plan.h"
#include "pipeline/encode_run.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"

namespace sprite::cli {

// What the command line gives an entry command besides its name.
struct EntryCommandArgs {
  std::span<const std::string_view> operands;  // the archive first
  pipeline::EncodeOptions mapping{};           // how pictures added are read
  pipeline::DecodeOptions decoding{};          // what extract writes
  std::string folder{};                        // extract's -C
};

struct EntryCommand {
  std::string_view name;
  // Its --help: what it does, then its options (often those of other commands too).
  const char* help;
  const char* options;
  // The usage error of the operands, in words; nothing when they are right.
  std::optional<std::string> (*check)(std::span<const std::string_view> operands);
  pipeline::RunReport (*run)(files::FileSystem& files, pipeline::RunDelegate& delegate,
                             const EntryCommandArgs& args);
};

// The entry command of that name; nullptr for another.
const EntryCommand* FindEntryCommand(std::string_view name);

// Shared by the commands' checks and runs.
//
// The usage error of operands that are not `least` to `most` in number
// (`most` 0: no bound), the command's `form` shown; for a command that takes
// `filesOnly`, also of an operand that is standard input.
std::optional<std::string> CheckOperands(std::span<const std::string_view> operands,
                                         std::string_view command, std::size_t least,
                                         std::size_t most, std::string_view form, bool filesOnly);
// The usage error of an operand that is not entry numbers (`one`: a single number).
std::optional<std::string> CheckEntryNumbers(std::string_view text, bool one);
// The same for each of `operands`.
std::optional<std::string> CheckEntryLists(std::span<const std::string_view> operands);

// The options of the commands that take pictures, after how they are read.
extern const char kPictureOptions[];
// The options every command takes.
extern const char kCommonOptions[];
// The entry numbers of operands already checked.
std::vector<pipeline::EntryRange> EntryNumbers(std::span<const std::string_view> operands);
// Runs a change of the archive, the first operand, with the pictures
// `pictures` name as encode takes them (@LIST, folders); a list or folder that
// cannot be read stops it before anything is read.
pipeline::RunReport RunEdit(files::FileSystem& files, pipeline::RunDelegate& delegate,
                            const EntryCommandArgs& args, pipeline::ArchiveEdit edit,
                            std::span<const std::string_view> pictures = {});

}  // namespace sprite::cli
