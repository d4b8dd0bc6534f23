// The options several commands share, checked and made into a run's options
// in one place: encode's picture mapping, which the commands that add
// pictures take too, and decode's output, which extract takes too.
#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "cli/colour_options.h"
#include "pipeline/decode_run.h"
#include "pipeline/encode_run.h"

namespace sprite::cli {

// The usage error of how PNG pictures are to be mapped onto the palette that
// comes from `source`.
std::optional<std::string> CheckMappingOptions(const Request& request, PaletteSource source);
// How PNG pictures are mapped, from options already checked.
pipeline::EncodeOptions MappingOptions(const Request& request);

// The usage error of what pictures of an archive are written as, and where.
std::optional<std::string> CheckDecodeOptions(const Request& request);
// What decode and extract write, from options already checked.
pipeline::DecodeOptions DecodeOptionsOf(const Request& request);

}  // namespace sprite::cli
