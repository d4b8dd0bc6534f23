#include "cli/colour_options.h"

#include "cli/standard_streams.h"
#include "colour/quantiser.h"
#include "files/standard_stream.h"

namespace sprite::cli {

namespace {

std::optional<std::uint32_t> ColoursOf(const std::string& text) {
  return Number(text, 1, static_cast<std::uint32_t>(colour::kMostQuantisedColours));
}

}  // namespace

std::optional<std::string> CheckColourOptions(const Request& request, PaletteSource source) {
  if (source == PaletteSource::kArchive && (request.palette || request.colours)) {
    return std::string(request.palette ? "--palette" : "--colours") +
           " belongs to encode: " + request.command +
           " brings PNG pictures into the archive's own palette, which all its entries share";
  }
  if (request.colours && !ColoursOf(*request.colours)) {
    return "--colours=" + *request.colours +
           ": a palette holds 1 to 255 opaque colours besides the see-through index 0";
  }
  if (request.palette == kStandardStream && files::IsTerminal(files::StandardStream::kInput)) {
    return "standard input is a terminal; --palette - reads a palette from a pipe or a file";
  }
  if (request.colours && request.palette) {
    return "--colours chooses a palette of the pictures' own colours and --palette gives one; "
           "give one of them";
  }
  if (request.dither && !colour::DitherFromName(*request.dither)) {
    return "--dither=" + *request.dither + ": it is none, floyd-steinberg or ordered";
  }
  if (request.dither && source == PaletteSource::kAsked && !request.colours && !request.palette) {
    return "--dither belongs to --palette or --colours: without them no colour is mapped";
  }
  if (request.opaqueIndex0 && (request.colours || request.palette)) {
    return std::string(
               "--opaque-index0 belongs to indexed PNG pictures that keep their own "
               "palette: with ") +
           (request.palette ? "--palette" : "--colours") +
           " every opaque pixel takes an opaque colour, never the see-through index 0";
  }
  return std::nullopt;
}

pipeline::ColourMapping ColourMappingOf(const Request& request) {
  pipeline::ColourMapping mapping;
  mapping.paletteFile = request.palette.value_or("");
  if (request.colours) {
    mapping.colours = *ColoursOf(*request.colours);
  }
  if (request.dither) {
    mapping.dither = *colour::DitherFromName(*request.dither);
  }
  return mapping;
}

}  // namespace sprite::cli
