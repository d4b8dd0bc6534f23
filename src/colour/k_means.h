// K-means refinement of a palette's centres in OKLab: each pass moves every
// centre to the weighted mean of the colours nearest it (ties to the lower
// index), in whole numbers, so the same colours give the same centres on
// every system.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "colour/oklab.h"

namespace sprite::colour {

// A colour of the histogram in OKLab, with how many pixels have it.
struct WeightedColour {
  std::array<std::int32_t, 3> lab;
  std::uint64_t weight = 0;
  // The bin's place among the histogram's colours: the last word of every ordering.
  std::uint32_t order = 0;
};

// Up to `passes` passes, fewer once no centre moves. `taken` holds the
// centre each colour starts from (one of `centres`).
std::vector<Lab> KMeans(std::span<const WeightedColour> colours, std::vector<Lab> centres,
                        std::vector<std::uint32_t> taken, int passes);

}  // namespace sprite::colour
