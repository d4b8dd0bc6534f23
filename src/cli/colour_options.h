// --palette, --colours (--colors) and --dither: how a command that stores PNG
// pictures brings their colours into the archive's palette.
#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "pipeline/colour_mapping.h"

namespace sprite::cli {

// A usage error of these options.
std::optional<std::string> CheckColourOptions(const Request& request);

// The mapping they ask for, once checked.
pipeline::ColourMapping ColourMappingOf(const Request& request);

}  // namespace sprite::cli
