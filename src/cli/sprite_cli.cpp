// sprite-cli: the window's Encode and Decode runs, from a console.
#include "cli/sprite_cli.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "app/version_text.h"
#include "cli/console_run_delegate.h"
#include "cli/entry_commands.h"
#include "cli/standard_streams.h"
#include "common/text.h"
#include "common/utf8_path.h"
#include "files/native_file_system.h"
#include "formats/entry_limits.h"
#include "formats/sprite_archive.h"
#include "pipeline/archive_listing.h"
#include "pipeline/decode_run.h"
#include "pipeline/encode_run.h"
#include "pipeline/run_inputs.h"
#include "winsys/console/console_window_system.h"

namespace {

using sprite::Quoted;

constexpr int kClean = 0;
constexpr int kProblems = 1;
constexpr int kNotCompleted = 2;

constexpr char kPrefix[] = "sprite-cli: ";

constexpr char kHelp[] =
    "Usage: sprite-cli encode [OPTION]... -o ARCHIVE PICTURE...\n"
    "  or:  sprite-cli decode [OPTION]... ARCHIVE\n"
    "  or:  sprite-cli extract [OPTION]... ARCHIVE N...\n"
    "  or:  sprite-cli replace [OPTION]... ARCHIVE N PICTURE\n"
    "  or:  sprite-cli insert [OPTION]... ARCHIVE N PICTURE...\n"
    "  or:  sprite-cli append [OPTION]... ARCHIVE PICTURE...\n"
    "  or:  sprite-cli delete ARCHIVE N...\n"
    "  or:  sprite-cli move ARCHIVE FROM TO\n"
    "  or:  sprite-cli palette ARCHIVE -o FILE\n"
    "  or:  sprite-cli list [--json] ARCHIVE\n"
    "  or:  sprite-cli info ARCHIVE\n"
    "  or:  sprite-cli --help | --version\n"
    "Pack 8-bit bitmaps and PNG pictures into a sprite archive, or unpack one.\n"
    "\n"
    "Commands:\n"
    "  encode   store the PICTUREs, in the order given, in the sprite archive ARCHIVE:\n"
    "           bitmaps, PNG pictures, @LIST for the paths in the file LIST, or a\n"
    "           folder for its .bmp and .png files in natural order\n"
    "  decode   write every picture of ARCHIVE as ARCHIVE.0001.bmp, ARCHIVE.0002.bmp, ...\n"
    "           (ARCHIVE - reads standard input, with -C: sprites.0001.bmp, ...)\n"
    "  palette  write the palette of ARCHIVE to FILE: GIMP (.gpl), JASC (.pal) or\n"
    "           a 16 x 16 swatch (.png), as FILE's name ends\n"
    "  list     print each picture of ARCHIVE: number, width, height, coded length\n"
    "  info     check every entry of ARCHIVE and say what it holds: count, size,\n"
    "           colours used, damage\n"
    "  extract  write only the pictures N... of ARCHIVE, named as decode names them\n"
    "  replace  put PICTURE in place of entry N of ARCHIVE\n"
    "  insert   put the PICTUREs before entry N (one past the last appends)\n"
    "  append   put the PICTUREs after the last entry of ARCHIVE\n"
    "  delete   take the entries N... out of ARCHIVE\n"
    "  move     move entry FROM of ARCHIVE so that it stands at TO\n"
    "\n"
    "Entries are counted from 1; N... takes numbers, ranges and lists: 7 2-5 1,4,9.\n"
    "A changed archive is the one encode would make of its pictures so changed;\n"
    "the entries kept are copied as they are, and it replaces the old one only\n"
    "when it is complete.\n"
    "\n"
    "Options:\n"
    "  -o, --output=FILE         (encode) the archive to write; an existing one is\n"
    "                            replaced, but only by one that stores a picture; -\n"
    "                            writes it to standard output, and the log then goes\n"
    "                            to standard error; (palette) the palette file to write\n"
    "  -C, --directory=FOLDER    (decode, extract) write the pictures into FOLDER, which must\n"
    "                            exist, instead of beside the archive\n"
    "      --png                 (decode, extract) write 8-bit PNG pictures, ARCHIVE.0001.png,\n"
    "                            ...,\n"
    "                            with index 0 see-through\n"
    "      --opaque              (decode --png) do not mark index 0 see-through\n"
    "      --sheet=COLUMNS       (decode --png) write one sheet, ARCHIVE.sheet.png, of\n"
    "                            COLUMNS columns instead\n"
    "      --sheet=WxH           (encode) cut every picture into frames of W x H pixels\n"
    "      --skip-empty          (encode --sheet) leave out wholly see-through frames\n"
    "      --list=FILE           (decode, extract) also write the files' paths into FILE, one a\n"
    "                            line, for encode @FILE\n"
    "      --palette=FILE        (encode) store PNG pictures with the palette in FILE\n"
    "                            (.gpl, .pal, .png, .bmp or .spr), nearest colours\n"
    "      --alpha-threshold=N   (encode, replace, insert, append) alpha below N (1 to\n"
    "                            255) is see-through, N and above opaque\n"
    "      --opaque-index0=HOW   (encode) pixels of an opaque colour 0 in indexed PNG\n"
    "                            pictures that keep their palette: keep moves them to\n"
    "                            an index of their colour, see-through stores them\n"
    "                            see-through; without it a warning counts them\n"
    "      --json                (list) print the entries as JSON, with their offsets\n"
    "  -q, --quiet               print no log lines\n"
    "  -h, --help                print this help; after a command, that command's help\n"
    "      --version             print the version and the licence\n"
    "  --                        every argument after it is a file name\n"
    "\n"
    "The log lines of the command go to standard output, exactly as the window\n"
    "shows them; everything else goes to standard error, one line each.\n"
    "\n"
    "Exit status: 0 every picture was stored or written cleanly; 1 the run\n"
    "completed but something in the input was wrong (a picture not stored or\n"
    "warned about, a damaged, missing or refused input); 2 a usage error, an\n"
    "output that cannot be written or is refused, or a run that was stopped.\n";

constexpr char kEncodeHelp[] =
    "Usage: sprite-cli encode [OPTION]... -o ARCHIVE PICTURE...\n"
    "Store the PICTUREs, in the order given, in the sprite archive ARCHIVE.\n"
    "A PICTURE is a bitmap or a PNG picture (told by its first bytes), @LIST for\n"
    "the paths in the file LIST (one a line, relative to LIST's folder; blank\n"
    "lines and # comments skipped), or a folder for its .bmp and .png files in\n"
    "natural order (walk_2 before walk_10).\n"
    "\n"
    "Only uncompressed 8-bit bitmaps with 256 colours are stored; for every other\n"
    "file a line on standard error says why. The archive keeps one palette, the\n"
    "last stored picture's: a picture with other colours is named in a warning.\n"
    "PNG pictures share one palette: that of a set of indexed pictures that agree\n"
    "on it, else one built of their colours (index 0 see-through, at most 255\n"
    "opaque colours), else the one --palette gives.\n"
    "\n"
    "  -o, --output=ARCHIVE     the archive to write; an existing one is replaced,\n"
    "                           but only by one that stores a picture; - writes it\n"
    "                           to standard output, and the log then goes to\n"
    "                           standard error\n"
    "      --palette=FILE       store PNG pictures with the palette in FILE (.gpl,\n"
    "                           .pal, .png, .bmp or .spr): each colour takes its\n"
    "                           entry, else the nearest, and a warning counts those\n"
    "      --alpha-threshold=N  alpha below N (1 to 255) is see-through, N and above\n"
    "                           opaque; without it alpha other than 0 and 255 is\n"
    "                           refused\n"
    "      --opaque-index0=HOW  index 0 is see-through in an archive; indexed PNG\n"
    "                           pictures that keep their palette but show colour 0\n"
    "                           opaque are stored with a warning, unless HOW is keep\n"
    "                           (its pixels move to an index of their colour: one\n"
    "                           past the palette, another of that colour, else the\n"
    "                           nearest) or see-through (they are meant to be)\n"
    "      --sheet=WxH          cut every picture into frames of W x H pixels, left\n"
    "                           to right, top to bottom\n"
    "      --skip-empty         with --sheet, leave out wholly see-through frames\n"
    "  -q, --quiet              print no log lines\n"
    "  -h, --help               print this help\n";

constexpr char kDecodeHelp[] =
    "Usage: sprite-cli decode [OPTION]... ARCHIVE\n"
    "Write every picture of the sprite archive ARCHIVE as an 8-bit bitmap:\n"
    "ARCHIVE.0001.bmp, ARCHIVE.0002.bmp, ... beside the archive. ARCHIVE - reads\n"
    "the archive from standard input; -C is then needed, and the pictures are\n"
    "named sprites.0001.bmp, sprites.0002.bmp, ... in FOLDER.\n"
    "\n"
    "  -C, --directory=FOLDER  write the pictures into FOLDER, which must exist,\n"
    "                          named after the archive's file name\n"
    "      --png               write 8-bit indexed PNG pictures with the archive's\n"
    "                          palette, ARCHIVE.0001.png, ..., index 0 see-through;\n"
    "                          encoding them again gives the archive byte for byte\n"
    "      --opaque            with --png, do not mark index 0 see-through\n"
    "      --sheet=COLUMNS     with --png, write one sheet, ARCHIVE.sheet.png, of\n"
    "                          COLUMNS columns, each cell as large as the largest\n"
    "                          picture, pictures at their cells' top left\n"
    "      --list=FILE         also write the written files' paths into FILE, one a\n"
    "                          line, relative to FILE's folder, for encode @FILE\n"
    "  -q, --quiet             print no log lines\n"
    "  -h, --help              print this help\n";

constexpr char kPaletteHelp[] =
    "Usage: sprite-cli palette [OPTION]... ARCHIVE -o FILE\n"
    "Write the palette of the sprite archive ARCHIVE, all 256 entries, to FILE:\n"
    "a GIMP palette when its name ends in .gpl, a JASC palette for .pal, a 16 x 16\n"
    "swatch picture for .png (entry y * 16 + x at pixel x, y). ARCHIVE may also\n"
    "be a bitmap, a PNG picture or a palette file; - reads standard input.\n"
    "\n"
    "  -o, --output=FILE  the palette file to write\n"
    "  -q, --quiet        print no log lines\n"
    "  -h, --help         print this help\n";

constexpr char kListHelp[] =
    "Usage: sprite-cli list [OPTION]... ARCHIVE\n"
    "Print one line for each picture of the sprite archive ARCHIVE: its number,\n"
    "width, height (as stored, a negative one for a bitmap stored top row first)\n"
    "and coded length, then the number of pictures and the coded bytes in all.\n"
    "ARCHIVE - reads standard input. A damaged entry ends the list, as it ends\n"
    "decode, with the same exit status.\n"
    "\n"
    "      --json   print one JSON object instead: the header's \"count\", the\n"
    "               \"entries\" (each its \"number\", \"width\", \"height\", coded\n"
    "               \"length\" and the \"offset\" of its head) and whether they are\n"
    "               \"complete\" (false after a damaged entry)\n"
    "  -q, --quiet  print no log lines\n"
    "  -h, --help   print this help\n";

struct Request {
  std::string command;
  std::optional<std::string> output;
  std::optional<std::string> directory;
  std::optional<std::string> palette;
  std::optional<std::string> alphaThreshold;
  std::optional<std::string> opaqueIndex0;
  std::optional<std::string> sheet;
  std::optional<std::string> list;
  bool png = false;
  bool opaque = false;
  bool skipEmpty = false;
  bool json = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
  std::vector<std::string_view>
      files;  // views into the arguments: the file list holds the one copy
};

struct UsageError {
  std::string message;
};

// The long options that take a value, where it goes, and what it is called.
struct ValueOption {
  std::string_view name;
  std::optional<std::string> Request::*member;
  const char* value;
};
constexpr ValueOption kValueOptions[] = {
    {"--output", &Request::output, "a file name"},
    {"--directory", &Request::directory, "a file name"},
    {"--palette", &Request::palette, "a file name"},
    {"--list", &Request::list, "a file name"},
    {"--sheet", &Request::sheet, "a value"},
    {"--alpha-threshold", &Request::alphaThreshold, "a value"},
    {"--opaque-index0", &Request::opaqueIndex0, "a value"},
};

// The long options that take none.
struct FlagOption {
  std::string_view name;
  bool Request::*member;
};
constexpr FlagOption kFlagOptions[] = {
    {"--quiet", &Request::quiet},     {"--help", &Request::help},
    {"--version", &Request::version}, {"--png", &Request::png},
    {"--opaque", &Request::opaque},   {"--skip-empty", &Request::skipEmpty},
    {"--json", &Request::json},
};

// Options may stand anywhere before "--"; the first other argument is the command.
std::variant<Request, UsageError> Parse(std::span<const std::string_view> args) {
  Request request;
  std::vector<std::string_view> operands;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--") {
      operands.insert(operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                      args.end());
      break;
    }
    if (arg.empty() || arg[0] != '-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == sprite::cli::kStandardStream) {  // a standard stream, as a file name
      operands.push_back(arg);
      continue;
    }
    // The value of an option: the rest of the argument, or the next one.
    const auto value = [&](std::string_view attached) -> std::optional<std::string> {
      if (!attached.empty()) {
        return std::string(attached);
      }
      if (i + 1 < args.size()) {
        return std::string(args[++i]);
      }
      return std::nullopt;
    };
    if (arg.starts_with("--")) {
      const std::size_t equals = arg.find('=');
      const std::string_view name = arg.substr(0, equals);
      const bool hasValue = equals != std::string_view::npos;
      const std::string_view attached = hasValue ? arg.substr(equals + 1) : std::string_view{};
      const auto* valued = std::find_if(std::begin(kValueOptions), std::end(kValueOptions),
                                        [&](const ValueOption& o) { return o.name == name; });
      const auto* flag = std::find_if(std::begin(kFlagOptions), std::end(kFlagOptions),
                                      [&](const FlagOption& o) { return o.name == name; });
      if (valued != std::end(kValueOptions)) {
        auto given = hasValue && attached.empty() ? std::nullopt : value(attached);
        if (!given) {
          return UsageError{"option " + Quoted(name) + " needs " + valued->value};
        }
        request.*(valued->member) = std::move(given);
      } else if (flag != std::end(kFlagOptions)) {
        if (hasValue) {
          return UsageError{"option " + Quoted(name) + " takes no value"};
        }
        request.*(flag->member) = true;
      } else {
        return UsageError{"unknown option " + Quoted(name)};
      }
      continue;
    }
    // Short options, which may share one argument: -qo ARCHIVE, -oARCHIVE.
    for (std::size_t at = 1; at < arg.size(); ++at) {
      const char letter = arg[at];
      if (letter == 'q') {
        request.quiet = true;
      } else if (letter == 'h') {
        request.help = true;
      } else if (letter == 'o' || letter == 'C') {
        auto given = value(arg.substr(at + 1));
        if (!given) {
          return UsageError{"option " + Quoted(std::string("-") + letter) + " needs a file name"};
        }
        (letter == 'o' ? request.output : request.directory) = std::move(given);
        break;
      } else {
        return UsageError{"unknown option " + Quoted(std::string("-") + letter)};
      }
    }
  }
  if (!operands.empty()) {
    request.command = std::string(operands.front());
    request.files.assign(operands.begin() + 1, operands.end());
  }
  return request;
}

// A whole number from `low` to `high`, written in decimal digits alone.
std::optional<std::uint32_t> Number(std::string_view text, std::uint32_t low, std::uint32_t high) {
  std::uint64_t value = 0;
  if (text.empty() || text.size() > 9) {
    return std::nullopt;
  }
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value < low || value > high) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

// --sheet=WxH of encode: the frame size.
std::optional<sprite::pipeline::FrameSize> FrameSizeOf(std::string_view text) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) {
    return std::nullopt;
  }
  const auto limit = static_cast<std::uint32_t>(sprite::formats::kMaxField);
  const auto width = Number(text.substr(0, x), 1, limit);
  const auto height = Number(text.substr(x + 1), 1, limit);
  if (!width || !height) {
    return std::nullopt;
  }
  return sprite::pipeline::FrameSize{*width, *height};
}

constexpr auto kMaxColumns = static_cast<std::uint32_t>(sprite::formats::kMaxEntries);

// --opaque-index0=HOW of encode.
std::optional<sprite::pipeline::OpaqueIndex0> OpaqueIndex0Of(std::string_view how) {
  if (how == "keep") {
    return sprite::pipeline::OpaqueIndex0::kKeep;
  }
  if (how == "see-through") {
    return sprite::pipeline::OpaqueIndex0::kSeeThrough;
  }
  return std::nullopt;
}

// Which options each command takes, besides -q and -h.
std::optional<std::string> Misplaced(const Request& request) {
  const std::string& command = request.command;
  const struct {
    bool given;
    const char* shown;
    const char* belongs;
    std::initializer_list<std::string_view> commands;
  } options[] = {
      {request.output.has_value(),
       "\"-o\" (--output)",
       "encode and palette",
       {"encode", "palette"}},
      {request.directory.has_value(),
       "\"-C\" (--directory)",
       "decode and extract",
       {"decode", "extract"}},
      {request.png, "\"--png\"", "decode and extract", {"decode", "extract"}},
      {request.opaque, "\"--opaque\"", "decode --png", {"decode", "extract"}},
      {request.list.has_value(), "\"--list\"", "decode and extract", {"decode", "extract"}},
      {request.json, "\"--json\"", "list", {"list"}},
      {request.sheet.has_value(), "\"--sheet\"", "encode and decode --png", {"encode", "decode"}},
      {request.skipEmpty, "\"--skip-empty\"", "encode --sheet", {"encode"}},
      {request.palette.has_value(), "\"--palette\"", "encode", {"encode"}},
      {request.alphaThreshold.has_value(),
       "\"--alpha-threshold\"",
       "encode, replace, insert and append",
       {"encode", "replace", "insert", "append"}},
      {request.opaqueIndex0.has_value(), "\"--opaque-index0\"", "encode", {"encode"}},
  };
  for (const auto& option : options) {
    if (option.given && std::find(option.commands.begin(), option.commands.end(), command) ==
                            option.commands.end()) {
      return "option " + std::string(option.shown) + " belongs to " + option.belongs;
    }
  }
  return std::nullopt;
}

// The one archive of decode, palette and list.
std::optional<std::string> CheckOneArchive(const Request& request) {
  if (request.files.size() != 1) {
    return request.files.empty() ? request.command + " needs an archive"
                                 : request.command + " takes exactly one archive";
  }
  if (request.command == "decode" && request.files.front() == sprite::cli::kStandardStream &&
      !request.directory) {
    return "decode - needs -C FOLDER: a stream has no name to name the pictures after, so "
           "they are named sprites.0001.bmp, ... there";
  }
  if (request.files.front() == sprite::cli::kStandardStream && isatty(STDIN_FILENO) == 1) {
    return "standard input is a terminal; " + request.command +
           " - reads an archive from a pipe or a file";
  }
  return std::nullopt;
}

// How PNG pictures are mapped, for encode and the commands that add pictures.
std::optional<std::string> CheckMappingOptions(const Request& request) {
  if (request.alphaThreshold && !Number(*request.alphaThreshold, 1, 255)) {
    return "--alpha-threshold=" + *request.alphaThreshold + ": a threshold is 1 to 255";
  }
  if (request.opaqueIndex0 && !OpaqueIndex0Of(*request.opaqueIndex0)) {
    return "--opaque-index0=" + *request.opaqueIndex0 + ": it is keep or see-through";
  }
  return std::nullopt;
}

std::optional<std::string> CheckEncode(const Request& request) {
  if (!request.output) {
    return "encode needs an archive to write: -o ARCHIVE";
  }
  if (request.files.empty()) {
    return "encode needs at least one picture";
  }
  if (std::find(request.files.begin(), request.files.end(), sprite::cli::kStandardStream) !=
      request.files.end()) {
    return "pictures are read from files; only decode reads standard input (\"-\")";
  }
  if (*request.output == sprite::cli::kStandardStream && isatty(STDOUT_FILENO) == 1) {
    return "standard output is a terminal; an archive is written there only into a pipe or "
           "a file";
  }
  if (request.sheet && !FrameSizeOf(*request.sheet)) {
    return "--sheet=" + *request.sheet + ": a frame size is WxH, each 1 to 32767, as 32x48";
  }
  if (request.skipEmpty && !request.sheet) {
    return "option \"--skip-empty\" belongs to encode --sheet";
  }
  return CheckMappingOptions(request);
}

// The options decode and extract share.
std::optional<std::string> CheckDecodeOptions(const Request& request) {
  if (request.opaque && !request.png) {
    return "option \"--opaque\" belongs to decode --png";
  }
  if (request.sheet && !request.png) {
    return "option \"--sheet\" of decode needs --png";
  }
  if (request.sheet && !Number(*request.sheet, 1, kMaxColumns)) {
    return "--sheet=" + *request.sheet + ": decode --png takes a number of columns, 1 to 32767";
  }
  if (request.list && *request.list == sprite::cli::kStandardStream) {
    return "--list names a file; standard output carries the log";
  }
  if (request.directory) {
    std::error_code ignored;
    const std::filesystem::path folder = sprite::PathFromUtf8(*request.directory);
    if (!std::filesystem::exists(folder, ignored)) {
      return "no such folder " + Quoted(*request.directory);
    }
    if (!std::filesystem::is_directory(folder, ignored)) {
      return Quoted(*request.directory) + " is not a folder";
    }
  }
  return std::nullopt;
}

std::optional<std::string> CheckDecode(const Request& request) {
  if (auto error = CheckOneArchive(request)) {
    return error;
  }
  return CheckDecodeOptions(request);
}

// The entry commands: their operands, and extract's options as decode's.
std::optional<std::string> CheckEntryCommand(const Request& request,
                                             const sprite::cli::EntryCommand& command) {
  if (auto error = command.check(request.files)) {
    return error;
  }
  if (request.files.front() == sprite::cli::kStandardStream && isatty(STDIN_FILENO) == 1) {
    return "standard input is a terminal; " + request.command +
           " - reads an archive from a pipe or a file";
  }
  return command.name == "extract" ? CheckDecodeOptions(request) : CheckMappingOptions(request);
}

// A usage error that help or --version do not outrank.
std::optional<std::string> Check(const Request& request) {
  if (request.command.empty()) {
    return "no command given";
  }
  const sprite::cli::EntryCommand* entryCommand = sprite::cli::FindEntryCommand(request.command);
  if (request.command != "encode" && request.command != "decode" && request.command != "palette" &&
      request.command != "list" && entryCommand == nullptr) {
    return "unknown command " + Quoted(request.command);
  }
  if (request.help) {
    return std::nullopt;
  }
  if (auto misplaced = Misplaced(request)) {
    return misplaced;
  }
  if (entryCommand != nullptr) {
    return CheckEntryCommand(request, *entryCommand);
  }
  if (request.command == "encode") {
    return CheckEncode(request);
  }
  if (request.command == "decode") {
    return CheckDecode(request);
  }
  if (request.command == "palette") {
    if (!request.output) {
      return "palette needs a file to write: -o FILE";
    }
    if (!sprite::pipeline::PaletteFormatOf(*request.output)) {
      return "-o " + Quoted(*request.output) +
             ": a palette file's name ends in .gpl (GIMP), .pal (JASC) or .png (swatch)";
    }
  }
  return CheckOneArchive(request);
}

constexpr char kTryHelp[] = "Try 'sprite-cli --help' for more information.\n";

int Usage(const std::string& message) {
  std::fprintf(stderr, "%s%s\n%s", kPrefix, message.c_str(), kTryHelp);
  return kNotCompleted;
}

// The name the bitmaps of an archive read from standard input are named after.
constexpr char kStreamedArchiveName[] = "sprites";

// How PNG pictures are mapped onto a palette, by encode and the entry commands.
sprite::pipeline::EncodeOptions MappingOptions(const Request& request) {
  sprite::pipeline::EncodeOptions options;
  if (request.alphaThreshold) {
    options.alpha.threshold = static_cast<int>(*Number(*request.alphaThreshold, 1, 255));
  }
  if (request.opaqueIndex0) {
    options.alpha.opaqueIndex0 = *OpaqueIndex0Of(*request.opaqueIndex0);
  }
  return options;
}

// What decode and extract write.
sprite::pipeline::DecodeOptions DecodeOptionsOf(const Request& request) {
  sprite::pipeline::DecodeOptions options;
  options.png = request.png;
  options.opaque = request.opaque;
  options.sheetColumns = request.sheet ? *Number(*request.sheet, 1, kMaxColumns) : 0;
  options.listPath = request.list.value_or("");
  return options;
}

// Encode, after its lists and folders are read: a list or folder that cannot
// be read stops the run once its files are checked, before a picture is read.
sprite::pipeline::RunReport Encode(const Request& request, sprite::files::FileSystem& files,
                                   sprite::cli::ConsoleRunDelegate& delegate) {
  sprite::pipeline::RunInputs inputs = sprite::pipeline::ExpandInputs(files, request.files);
  constexpr auto kMaxListedFiles = static_cast<std::size_t>(sprite::formats::kMaxEntries);
  if (inputs.paths.size() > kMaxListedFiles) {
    throw UsageError{"a file list holds at most " + std::to_string(kMaxListedFiles) + " files; " +
                     std::to_string(inputs.paths.size()) + " were given"};
  }
  sprite::pipeline::EncodeOptions options = MappingOptions(request);
  options.paletteFile = request.palette.value_or("");
  if (request.sheet) {
    options.sheet = FrameSizeOf(*request.sheet);
  }
  options.skipEmpty = request.skipEmpty;
  options.listFiles = std::move(inputs.lists);
  options.unreadInputs = std::move(inputs.problems);
  sprite::Bytes palette(sprite::formats::kTrailerSize, 0);
  sprite::pipeline::EncodeRun run(files, delegate, options);
  return run.Run(inputs.paths, *request.output, palette);
}

int Run(const Request& request, sprite::files::FileSystem& diskFiles) {
  sprite::winsys::ConsoleTerminal terminal(!request.quiet && isatty(STDERR_FILENO) == 1);
  sprite::cli::StandardStreams files(diskFiles);
  // With the archive on standard output, the log goes to standard error.
  const bool archiveOnStandardOutput =
      request.command == "encode" && *request.output == sprite::cli::kStandardStream;
  sprite::cli::ConsoleRunDelegate delegate(terminal, kPrefix, request.quiet,
                                           archiveOnStandardOutput);
  sprite::pipeline::RunReport report;
  const std::string archive = request.files.empty() ? "" : std::string(request.files.front());
  if (request.command == "encode") {
    report = Encode(request, files, delegate);
  } else if (const auto* command = sprite::cli::FindEntryCommand(request.command)) {
    report = command->run(files, delegate,
                          {request.files, MappingOptions(request), DecodeOptionsOf(request),
                           request.directory.value_or("")});
  } else if (request.command == "decode") {
    sprite::pipeline::DecodeRun run(files, delegate, DecodeOptionsOf(request));
    report = run.Run(archive, request.directory.value_or(""),
                     archive == sprite::cli::kStandardStream ? kStreamedArchiveName : "");
  } else if (request.command == "palette") {
    report = sprite::pipeline::ExportPalette(files, delegate, archive, *request.output,
                                             *sprite::pipeline::PaletteFormatOf(*request.output));
  } else {
    report = sprite::pipeline::ListArchive(
        files, delegate, archive,
        request.json ? sprite::pipeline::ListFormat::kJson : sprite::pipeline::ListFormat::kText);
  }
  // A log that did not reach its reader is a run stopped like Ctrl+C stops it.
  const bool logLost = std::fflush(stdout) != 0 || terminal.OutputLost();
  if (report.noSuchEntry) {
    std::fputs(kTryHelp, stderr);
  }
  if (report.cancelled || report.outputFailed || report.noSuchEntry || logLost) {
    return kNotCompleted;
  }
  return report.problems > 0 || !report.completed ? kProblems : kClean;
}

}  // namespace

namespace sprite::cli {

int Main(const std::vector<std::string>& args) {
  const auto files = files::MakeNativeFileSystem();
  return Main(args, *files);
}

int Main(const std::vector<std::string>& args, files::FileSystem& files) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  return Main(views, files);
}

int Main(std::span<const std::string_view> args, files::FileSystem& files) {
  sprite::winsys::ConsoleWindowSystem::InstallInterruptHandler();
  const auto parsed = Parse(args);
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    return Usage(error->message);
  }
  const Request& request = std::get<Request>(parsed);
  const bool streamed =
      std::find(request.files.begin(), request.files.end(), kStandardStream) != request.files.end();
  const char* outputUse = request.output == kStandardStream ? "the archive (-o -)"
                          : request.help || request.version ? "the text asked for"
                          : request.quiet                   ? ""
                                                            : "the log (-q prints none)";
  if (const auto refusal = StandardStreamsRefusal(streamed, outputUse)) {
    std::fprintf(stderr, "%s%s\n", kPrefix, refusal->c_str());
    return kNotCompleted;
  }
  if (request.version) {
    std::fputs(sprite::app::VersionText("sprite-cli").c_str(), stdout);
    return kClean;
  }
  if (request.help && request.command.empty()) {
    std::fputs(kHelp, stdout);
    return kClean;
  }
  if (const auto error = Check(request)) {
    return Usage(*error);
  }
  if (request.help) {
    if (const auto* command = sprite::cli::FindEntryCommand(request.command)) {
      std::printf("%s\n%s", command->help, command->options);
      return kClean;
    }
    std::fputs(request.command == "encode"    ? kEncodeHelp
               : request.command == "decode"  ? kDecodeHelp
               : request.command == "palette" ? kPaletteHelp
                                              : kListHelp,
               stdout);
    return kClean;
  }
  try {
    return Run(request, files);
  } catch (const UsageError& error) {
    return Usage(error.message);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s%s\n", kPrefix, error.what());
    return kNotCompleted;
  }
}

}  // namespace sprite::cli
