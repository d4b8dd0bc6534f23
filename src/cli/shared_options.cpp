#include "cli/shared_options.h"

#include <filesystem>

#include "cli/standard_streams.h"
#include "common/text.h"
#include "common/utf8_path.h"
#include "files/native_file_system.h"
#include "formats/entry_limits.h"

namespace sprite::cli {

namespace {

constexpr auto kMaxColumns = static_cast<std::uint32_t>(formats::kMaxEntries);

// --opaque-index0=HOW of encode.
std::optional<pipeline::OpaqueIndex0> OpaqueIndex0Of(std::string_view how) {
  if (how == "keep") {
    return pipeline::OpaqueIndex0::kKeep;
  }
  if (how == "see-through") {
    return pipeline::OpaqueIndex0::kSeeThrough;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckMappingOptions(const Request& request, PaletteSource source) {
  if (request.alphaThreshold && !Number(*request.alphaThreshold, 1, 255)) {
    return "--alpha-threshold=" + *request.alphaThreshold + ": a threshold is 1 to 255";
  }
  if (request.opaqueIndex0 && !OpaqueIndex0Of(*request.opaqueIndex0)) {
    return "--opaque-index0=" + *request.opaqueIndex0 + ": it is keep or see-through";
  }
  return CheckColourOptions(request, source);
}

pipeline::EncodeOptions MappingOptions(const Request& request) {
  pipeline::EncodeOptions options;
  options.mapping = ColourMappingOf(request);
  if (request.alphaThreshold) {
    options.alpha.threshold = static_cast<int>(*Number(*request.alphaThreshold, 1, 255));
  }
  if (request.opaqueIndex0) {
    options.alpha.opaqueIndex0 = *OpaqueIndex0Of(*request.opaqueIndex0);
  }
  return options;
}

std::optional<std::string> CheckDecodeOptions(const Request& request) {
  if (request.opaque && !request.png) {
    return "option \"--opaque\" belongs to " + request.command + " --png";
  }
  if (request.sheet && !request.png) {
    return "option \"--sheet\" of decode needs --png";
  }
  if (request.sheet && !Number(*request.sheet, 1, kMaxColumns)) {
    return "--sheet=" + *request.sheet + ": decode --png takes a number of columns, 1 to 32767";
  }
  if (request.list && *request.list == kStandardStream) {
    return "--list names a file; standard output carries the log";
  }
  if (request.directory) {
    std::error_code error;
    const std::filesystem::file_status folder =
        std::filesystem::status(PathFromUtf8(*request.directory), error);
    // A folder that cannot be looked at (no permission to pass through the
    // one above it, a name too long) may well be there.
    if (error && error != std::errc::no_such_file_or_directory &&
        error != std::errc::not_a_directory) {
      return "cannot use the folder " + Quoted(*request.directory) + ": " + error.message();
    }
    // A device Windows keeps in every folder (NUL, CON, ...) is there but has
    // no status to the standard library: the system's own file layer knows it.
    if (!std::filesystem::exists(folder) &&
        !files::MakeNativeFileSystem()->Exists(*request.directory)) {
      return "no such folder " + Quoted(*request.directory);
    }
    if (!std::filesystem::is_directory(folder)) {
      return Quoted(*request.directory) + " is not a folder";
    }
  }
  return std::nullopt;
}

pipeline::DecodeOptions DecodeOptionsOf(const Request& request) {
  pipeline::DecodeOptions options;
  options.png = request.png;
  options.opaque = request.opaque;
  options.sheetColumns = request.sheet ? *Number(*request.sheet, 1, kMaxColumns) : 0;
  options.listPath = request.list.value_or("");
  return options;
}

}  // namespace sprite::cli
