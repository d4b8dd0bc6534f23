// --palette, --colours (--colors) and --dither: how a command that stores PNG
// pictures brings their colours into the archive's palette.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "pipeline/colour_mapping.h"

namespace sprite::cli {

// Where a command's PNG pictures take their palette from.
enum class PaletteSource : std::uint8_t {
  kAsked,    // encode: --palette, --colours, or the pictures' own colours
  kArchive,  // replace, insert, append: the archive's own palette
};

// A usage error of these options for a command whose palette comes from `source`.
std::optional<std::string> CheckColourOptions(const Request& request, PaletteSource source);

// The mapping they ask for, once checked.
pipeline::ColourMapping ColourMappingOf(const Request& request);

}  // namespace sprite::cli
