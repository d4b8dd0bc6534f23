#include "cli/entry_commands.h"

#include <algorithm>

#include "cli/shared_options.h"
#include "cli/standard_streams.h"
#include "common/text.h"
#include "pipeline/archive_edit.h"
#include "pipeline/run_inputs.h"

namespace sprite::cli {

const char kPictureOptions[] =
    "A picture is read as encode reads it: a bitmap is stored with its own palette\n"
    "(another than the archive's is named in a warning, and the archive keeps the\n"
    "last picture's palette), a PNG picture with the archive's palette, each colour\n"
    "its entry, else the nearest in OKLab, and a note on standard error counts\n"
    "those (exit status 0). --palette and --colours belong to encode: every entry\n"
    "shares the archive's palette. A damaged archive or a picture that cannot be\n"
    "stored leaves the archive as it was.\n"
    "\n"
    "      --alpha-threshold=N  alpha below N (1 to 255) is see-through, N and above\n"
    "                           opaque; without it alpha other than 0 and 255 is\n"
    "                           refused\n"
    "      --dither=HOW         how colours without an exact entry take the\n"
    "                           archive's: none (the default), floyd-steinberg or\n"
    "                           ordered; colours the palette holds never change\n"
    "  -q, --quiet              print no log lines\n"
    "  -h, --help               print this help\n";

const char kCommonOptions[] =
    "  -q, --quiet  print no log lines\n"
    "  -h, --help   print this help\n";

std::optional<std::string> CheckOperands(std::span<const std::string_view> operands,
                                         std::string_view command, std::size_t least,
                                         std::size_t most, std::string_view form) {
  const std::string named(command);
  if (operands.size() < least || (most > 0 && operands.size() > most)) {
    return named + " takes " + std::string(form);
  }
  if (std::ranges::find(operands, std::string_view(kStandardStream)) != operands.end()) {
    return named +
           " works on files: the archive and the pictures cannot be standard input "
           "(\"-\")";
  }
  return std::nullopt;
}

namespace {

// The first range of `text` written from its end ("5-3"), turned round ("3-5").
std::optional<std::string> BackwardRange(std::string_view text) {
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view piece = text.substr(start, comma - start);
    const std::size_t dash = piece.find('-');
    const auto first = pipeline::ParseEntryNumbers(piece.substr(0, dash));
    const auto last = dash == std::string_view::npos
                          ? std::nullopt
                          : pipeline::ParseEntryNumbers(piece.substr(dash + 1));
    if (first && last && first->size() == 1 && last->size() == 1 &&
        first->front().first > last->front().first) {
      return std::string(piece.substr(dash + 1)) + "-" + std::string(piece.substr(0, dash));
    }
    start = comma + 1;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckEntryNumbers(std::string_view text, bool one) {
  const auto ranges = pipeline::ParseEntryNumbers(text);
  if (!ranges && !one) {
    if (const auto turned = BackwardRange(text)) {
      return Quoted(text) + " is not a list of entry numbers: a range goes up, as " + *turned;
    }
  }
  if (!ranges) {
    return Quoted(text) + " is not " +
           (one ? "an entry number: entries are counted from 1 to 32767"
                : "a list of entry numbers: entries are counted from 1 to 32767, as 7, 2-5 or "
                  "1,4,9");
  }
  if (one && (ranges->size() != 1 || ranges->front().first != ranges->front().last)) {
    return Quoted(text) + " is not one entry number";
  }
  return std::nullopt;
}

std::optional<std::string> CheckEntryLists(std::span<const std::string_view> operands) {
  for (const std::string_view numbers : operands) {
    if (auto error = CheckEntryNumbers(numbers, false)) {
      return error;
    }
  }
  return std::nullopt;
}

std::optional<std::string> CheckEntryAndPictures(const Request& request, std::string_view command,
                                                 std::size_t most, std::string_view form) {
  const std::span<const std::string_view> operands(request.files);
  if (auto error = CheckOperands(operands, command, 3, most, form)) {
    return error;
  }
  if (auto error = CheckEntryNumbers(operands[1], true)) {
    return error;
  }
  return CheckMappingOptions(request, PaletteSource::kArchive);
}

std::vector<pipeline::EntryRange> EntryNumbers(std::span<const std::string_view> operands) {
  std::vector<pipeline::EntryRange> ranges;
  for (const std::string_view operand : operands) {
    const auto parsed = pipeline::ParseEntryNumbers(operand);
    ranges.insert(ranges.end(), parsed->begin(), parsed->end());
  }
  return ranges;
}

pipeline::RunReport RunEdit(const Request& request, files::FileSystem& files,
                            pipeline::RunDelegate& delegate, pipeline::ArchiveEdit edit,
                            std::span<const std::string_view> pictures) {
  if (!pictures.empty()) {
    pipeline::RunInputs inputs = pipeline::ExpandInputs(files, pictures);
    pipeline::RunReport report;
    for (const pipeline::Problem& problem : inputs.problems) {
      ++report.problems;
      delegate.Report(problem);
    }
    if (!inputs.problems.empty()) {
      return report;
    }
    edit.files = std::move(inputs.paths);
    edit.lists = std::move(inputs.lists);
  }
  pipeline::ArchiveEditRun run(files, delegate, MappingOptions(request));
  return run.Run(std::string(request.files.front()), edit);
}

}  // namespace sprite::cli
