#include "pipeline/opaque_index0.h"

#include "colour/colour_mapper.h"

namespace sprite::pipeline {

Index0Place PlaceOfOpaqueIndex0(const std::vector<formats::PngColour>& shared) {
  if (shared.size() < 256) {
    return {static_cast<std::uint8_t>(shared.size()), true, false};
  }
  std::vector<colour::Rgb> colours;
  colours.reserve(shared.size());
  for (const formats::PngColour& c : shared) {
    colours.push_back({c.red, c.green, c.blue});
  }
  colour::ColourMapper mapper(colours);
  const colour::Rgb zero = colours[0];
  if (const auto same = mapper.Exact(zero)) {
    return {*same, false, false};
  }
  return {mapper.Nearest(zero), false, true};
}

}  // namespace sprite::pipeline
