#include "colour/k_means.h"

#include <gtest/gtest.h>

#include <random>

namespace sprite::colour {
namespace {

// K-means as it reads: every colour to its nearest centre by a look at all of
// them (ties to the lower index), every centre to its mean, until none moves.
std::vector<Lab> PlainKMeans(const std::vector<WeightedColour>& colours, std::vector<Lab> centres,
                             int passes) {
  for (int pass = 0; pass < passes; ++pass) {
    std::vector<std::array<std::int64_t, 3>> sums(centres.size(), {0, 0, 0});
    std::vector<std::int64_t> weights(centres.size(), 0);
    for (const WeightedColour& p : colours) {
      const Lab lab{p.lab[0], p.lab[1], p.lab[2]};
      std::size_t best = 0;
      for (std::size_t c = 1; c < centres.size(); ++c) {
        if (SquaredDistance(centres[c], lab) < SquaredDistance(centres[best], lab)) {
          best = c;
        }
      }
      weights[best] += static_cast<std::int64_t>(p.weight);
      for (std::size_t axis = 0; axis < 3; ++axis) {
        sums[best][axis] += static_cast<std::int64_t>(p.weight) * p.lab[axis];
      }
    }
    bool moved = false;
    for (std::size_t c = 0; c < centres.size(); ++c) {
      if (weights[c] == 0) {
        continue;
      }
      Lab mean;
      std::int32_t* out[] = {&mean.l, &mean.a, &mean.b};
      for (std::size_t axis = 0; axis < 3; ++axis) {
        const std::int64_t sum = sums[c][axis];
        const std::int64_t magnitude = (2 * (sum < 0 ? -sum : sum) + weights[c]) / (2 * weights[c]);
        *out[axis] = static_cast<std::int32_t>(sum < 0 ? -magnitude : magnitude);
      }
      moved = moved || mean != centres[c];
      centres[c] = mean;
    }
    if (!moved) {
      break;
    }
  }
  return centres;
}

// The bounds that spare searches never change a centre: the same centres as
// plain k-means, for clouds of colours and for colours on a coarse lattice
// (many ties), from centres where some start the same.
TEST(KMeans, GivesThePlainCentres) {
  std::mt19937 random(9);
  const auto component = [&](std::int32_t low, std::int32_t high) {
    return low + static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(high - low));
  };
  for (const std::int32_t lattice : {1, 4096}) {
    SCOPED_TRACE(lattice);
    std::vector<WeightedColour> colours;
    for (std::uint32_t i = 0; i < 3000; ++i) {
      const auto snap = [&](std::int32_t v) { return v / lattice * lattice; };
      colours.push_back(
          {{snap(component(kSrgbLow.l, kSrgbHigh.l)), snap(component(kSrgbLow.a, kSrgbHigh.a)),
            snap(component(kSrgbLow.b, kSrgbHigh.b))},
           1 + random() % 50,
           i});
    }
    std::vector<Lab> centres;
    std::vector<std::uint32_t> taken;
    for (std::size_t c = 0; c < 40; ++c) {
      const WeightedColour& from = colours[c % 30];
      centres.push_back({from.lab[0], from.lab[1], from.lab[2]});
    }
    for (std::size_t i = 0; i < colours.size(); ++i) {
      taken.push_back(static_cast<std::uint32_t>(random() % centres.size()));
    }
    EXPECT_EQ(KMeans(colours, centres, taken, 12), PlainKMeans(colours, centres, 12));
  }
}

}  // namespace
}  // namespace sprite::colour
