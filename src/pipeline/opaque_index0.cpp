#include "pipeline/opaque_index0.h"

#include "pipeline/target_palette.h"

namespace sprite::pipeline {

Index0Place PlaceOfOpaqueIndex0(const std::vector<formats::PngColour>& shared) {
  if (shared.size() < 256) {
    return {static_cast<std::uint8_t>(shared.size()), true, false};
  }
  const formats::PngColour& zero = shared[0];
  std::size_t best = 1;
  std::int64_t bestDistance = -1;
  for (std::size_t i = 1; i < shared.size(); ++i) {
    const formats::PngColour& c = shared[i];
    const std::int64_t d = ColourDistance(zero.red, zero.green, zero.blue, c.red, c.green, c.blue);
    if (bestDistance < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return {static_cast<std::uint8_t>(best), false, bestDistance != 0};
}

}  // namespace sprite::pipeline
