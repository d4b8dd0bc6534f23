// What the commands that work on the entries of an existing archive share
// (extract, replace, insert, append, delete, move, info): the checks of their
// operands, their entry numbers, the options' part of their help, and the run
// of a change.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "files/file_system.h"
#include "pipeline/edit_plan.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"

namespace sprite::cli {

// The usage error of operands that are not `least` to `most` in number
// (`most` 0: no bound), the command's `form` shown, or that name standard
// input: these commands work on files.
std::optional<std::string> CheckOperands(std::span<const std::string_view> operands,
                                         std::string_view command, std::size_t least,
                                         std::size_t most, std::string_view form);
// The usage error of an operand that is not entry numbers (`one`: a single number).
std::optional<std::string> CheckEntryNumbers(std::string_view text, bool one);
// The same for each of `operands`.
std::optional<std::string> CheckEntryLists(std::span<const std::string_view> operands);

// The usage error of the operands ARCHIVE N PICTURE... (at most `most`; 0: no
// bound) of replace and insert, and of encode's mapping options they take.
std::optional<std::string> CheckEntryAndPictures(const Request& request, std::string_view command,
                                                 std::size_t most, std::string_view form);

// The options of the commands that take pictures, after how they are read.
extern const char kPictureOptions[];
// The options every command takes.
extern const char kCommonOptions[];
// The entry numbers of operands already checked.
std::vector<pipeline::EntryRange> EntryNumbers(std::span<const std::string_view> operands);
// Runs a change of the request's archive, its first file, with the pictures
// `pictures` name as encode takes them (@LIST, folders) and read with encode's
// mapping options; a list or folder that cannot be read stops it before
// anything is read.
pipeline::RunReport RunEdit(const Request& request, files::FileSystem& files,
                            pipeline::RunDelegate& delegate, pipeline::ArchiveEdit edit,
                            std::span<const std::string_view> pictures = {});

}  // namespace sprite::cli
