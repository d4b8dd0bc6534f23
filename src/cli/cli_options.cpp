#include "cli/cli_options.h"

#include <algorithm>
#include <initializer_list>

#include "cli/standard_streams.h"
#include "common/text.h"
#include "files/standard_stream.h"

namespace sprite::cli {

namespace {

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
    {"--colours", &Request::colours, "a number"},
    {"--colors", &Request::colours, "a number"},
    {"--dither", &Request::dither, "a value"},
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

}  // namespace

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
    if (arg == kStandardStream) {  // a standard stream, as a file name
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
        // An empty next argument ("--palette ''", a script's unset variable)
        // is no value either, as "--palette=" is not: left unset, the option
        // would silently do nothing.
        if (!given || given->empty()) {
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
      } else if (arg.find_first_of("./") != std::string_view::npos) {
        // Most likely a file's name, as a game's tools make them: -walk.png.
        return UsageError{"unknown option " + Quoted(std::string("-") + letter) +
                          "; to name the file " + Quoted(arg) + ", put -- before it"};
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
      // replace, insert and append refuse a palette with their reason.
      {request.palette.has_value(),
       "\"--palette\"",
       "encode",
       {"encode", "replace", "insert", "append"}},
      {request.alphaThreshold.has_value(),
       "\"--alpha-threshold\"",
       "encode, replace, insert and append",
       {"encode", "replace", "insert", "append"}},
      {request.opaqueIndex0.has_value(), "\"--opaque-index0\"", "encode", {"encode"}},
      {request.colours.has_value(),
       "\"--colours\"",
       "encode",
       {"encode", "replace", "insert", "append"}},
      {request.dither.has_value(),
       "\"--dither\"",
       "encode, replace, insert and append",
       {"encode", "replace", "insert", "append"}},
  };
  for (const auto& option : options) {
    if (option.given && std::find(option.commands.begin(), option.commands.end(), command) ==
                            option.commands.end()) {
      return "option " + std::string(option.shown) + " belongs to " + option.belongs;
    }
  }
  return std::nullopt;
}

std::optional<std::string> CheckOneArchive(const Request& request) {
  if (request.files.size() != 1) {
    return request.files.empty() ? request.command + " needs an archive"
                                 : request.command + " takes exactly one archive";
  }
  if (request.command == "decode" && request.files.front() == kStandardStream &&
      !request.directory) {
    return "decode - needs -C FOLDER: a stream has no name to name the pictures after, so "
           "they are named sprites.0001.bmp, ... there";
  }
  if (request.files.front() == kStandardStream &&
      files::IsTerminal(files::StandardStream::kInput)) {
    return "standard input is a terminal; " + request.command +
           " - reads an archive from a pipe or a file";
  }
  return std::nullopt;
}

}  // namespace sprite::cli
