#include "colour/k_means.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sprite::colour {

namespace {

constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max();

struct NearestTwo {
  std::uint32_t index = 0;
  std::int64_t nearest = kFar;
  // The nearest of the other centres; as near as `nearest` on a tie.
  std::int64_t second = kFar;
};

double Root(std::int64_t squared) {
  return squared == kFar ? std::numeric_limits<double>::infinity()
                         : std::sqrt(static_cast<double>(squared));
}

// Takes in the centre `index` at `lab` as one of the nearest two to `query`.
void Take(NearestTwo& found, const Lab& lab, std::uint32_t index, const Lab& query) {
  const std::int64_t d = SquaredDistance(lab, query);
  if (d < found.nearest || (d == found.nearest && index < found.index)) {
    found.second = found.nearest;
    found.nearest = d;
    found.index = index;
  } else if (d < found.second) {
    found.second = d;
  }
}

// The nearest two of a pass's centres to a colour, found by walking out from
// the colour's lightness through the centres sorted by it, until the
// lightness gap alone passes the second distance. A pass asks a few queries
// a centre, too few to pay for NearestSearch's cell lists.
class ByLightness {
 public:
  explicit ByLightness(const std::vector<Lab>& centres) : centres_(centres) {
    for (std::size_t i = 0; i < centres.size(); ++i) {
      sorted_.push_back({centres[i], static_cast<std::uint32_t>(i)});
    }
    std::ranges::sort(sorted_, [](const Centre& x, const Centre& y) {
      return x.lab.l != y.lab.l ? x.lab.l < y.lab.l : x.index < y.index;
    });
  }

  // Starts from `hint`, most often still the nearest, so the walk stops soon.
  NearestTwo Find(const Lab& query, std::uint32_t hint) const {
    NearestTwo found{hint, SquaredDistance(centres_[hint], query)};
    const auto above =
        std::ranges::lower_bound(sorted_, query.l, {}, [](const Centre& c) { return c.lab.l; });
    auto up = above - sorted_.begin();
    auto down = up - 1;
    const auto count = static_cast<std::ptrdiff_t>(sorted_.size());
    const auto gap = [&](std::ptrdiff_t at) {
      const std::int64_t d = std::int64_t{sorted_[static_cast<std::size_t>(at)].lab.l} - query.l;
      return d * d;
    };
    const auto take = [&](std::ptrdiff_t at) {
      const Centre& c = sorted_[static_cast<std::size_t>(at)];
      if (c.index != hint) {
        Take(found, c.lab, c.index, query);
      }
    };
    for (;;) {
      const bool upOpen = up < count && gap(up) <= found.second;
      const bool downOpen = down >= 0 && gap(down) <= found.second;
      if (!upOpen && !downOpen) {
        return found;
      }
      if (upOpen && (!downOpen || gap(up) <= gap(down))) {
        take(up++);
      } else {
        take(down--);
      }
    }
  }

 private:
  struct Centre {
    Lab lab;
    std::uint32_t index = 0;
  };
  const std::vector<Lab>& centres_;
  std::vector<Centre> sorted_;
};

// The nearest two of a pass's centres to a colour, found by walking through
// the centres nearest the one it took, nearest first: by the triangle
// inequality a centre farther from that one than the colour's distance to it
// plus the second distance found is farther from the colour than the second,
// and so are all after it. Most walks stop within a few; one that passes the
// kNeighbours kept goes on by lightness.
class NearCentres {
 public:
  static constexpr std::size_t kNeighbours = 16;

  explicit NearCentres(const std::vector<Lab>& centres)
      : centres_(centres),
        byLightness_(centres),
        kept_(centres.empty() ? 0 : std::min(kNeighbours, centres.size() - 1)),
        neighbours_(centres.size() * kept_) {
    // Each centre's nearest others by one look at all of them, kept in order
    // as they come: most are farther than all kept and cost one comparison.
    std::vector<std::pair<std::int64_t, std::uint32_t>> nearest(kept_);
    for (std::size_t c = 0; c < centres.size(); ++c) {
      std::size_t size = 0;
      for (std::size_t o = 0; o < centres.size(); ++o) {
        const std::pair<std::int64_t, std::uint32_t> other = {
            SquaredDistance(centres[c], centres[o]), static_cast<std::uint32_t>(o)};
        if (o == c || (size == kept_ && !(other < nearest[size - 1]))) {
          continue;
        }
        std::size_t at = size < kept_ ? size++ : size - 1;
        for (; at > 0 && other < nearest[at - 1]; --at) {
          nearest[at] = nearest[at - 1];
        }
        nearest[at] = other;
      }
      for (std::size_t k = 0; k < kept_; ++k) {
        neighbours_[c * kept_ + k] = {Root(nearest[k].first), nearest[k].second};
      }
    }
  }

  // Half the distance from `centre` to the nearest other one; infinite for
  // a lone centre.
  double HalfGap(std::uint32_t centre) const {
    return kept_ == 0 ? std::numeric_limits<double>::infinity()
                      : neighbours_[centre * kept_].distance / 2;
  }

  // The walk starts from `hint`, the centre the colour took last pass.
  NearestTwo Find(const Lab& query, std::uint32_t hint) const {
    NearestTwo found{hint, SquaredDistance(centres_[hint], query)};
    const double own = Root(found.nearest);
    for (std::size_t k = 0; k < kept_; ++k) {
      const Neighbour& next = neighbours_[hint * kept_ + k];
      // Compared with a wide margin for rounding: stopping late costs a
      // look, stopping early would lose a centre.
      if (next.distance > (own + Root(found.second)) * (1 + 1e-9) + 1e-6) {
        return found;
      }
      Take(found, centres_[next.index], next.index, query);
    }
    return kept_ + 1 == centres_.size() ? found : byLightness_.Find(query, hint);
  }

 private:
  struct Neighbour {
    double distance = 0;
    std::uint32_t index = 0;
  };
  const std::vector<Lab>& centres_;
  ByLightness byLightness_;
  std::size_t kept_;
  std::vector<Neighbour> neighbours_;
};

// Bounds on a colour's distances, carried from pass to pass: at most `upper`
// to the centre it took, at least `lower` to every other. While upper stays
// below lower the centre taken is the one nearest, with no search. The
// bounds only decide when a search is skipped, never which centre is taken,
// and they are compared with a wide margin for rounding, so the centres are
// those of a search for every colour in every pass.
struct Bounds {
  double upper = 0;
  double lower = -1;
  bool Hold() const { return upper * (1 + 1e-9) + 1e-6 < lower * (1 - 1e-9); }
};

}  // namespace

std::vector<Lab> KMeans(std::span<const WeightedColour> colours, std::vector<Lab> centres,
                        std::vector<std::uint32_t> taken, int passes) {
  std::vector<Bounds> bounds(colours.size());
  for (int pass = 0; pass < passes; ++pass) {
    const NearCentres search(centres);
    std::vector<std::array<std::int64_t, 3>> sums(centres.size(), {0, 0, 0});
    std::vector<std::int64_t> weights(centres.size(), 0);
    for (std::size_t i = 0; i < colours.size(); ++i) {
      const WeightedColour& p = colours[i];
      const Lab lab{p.lab[0], p.lab[1], p.lab[2]};
      Bounds& b = bounds[i];
      if (!b.Hold()) {
        b.upper = Root(SquaredDistance(centres[taken[i]], lab));
        if (!b.Hold()) {
          // Nearer its centre than half the gap to the next centre, a colour
          // is nearer it than any other, by the triangle inequality.
          const double gap = search.HalfGap(taken[i]);
          if (Bounds{b.upper, gap}.Hold()) {
            b.lower = 2 * gap - b.upper;
          } else {
            const NearestTwo found = search.Find(lab, taken[i]);
            taken[i] = found.index;
            b = {Root(found.nearest), Root(found.second)};
          }
        }
      }
      const std::size_t c = taken[i];
      const auto w = static_cast<std::int64_t>(p.weight);
      weights[c] += w;
      for (std::size_t axis = 0; axis < 3; ++axis) {
        sums[c][axis] += w * p.lab[axis];
      }
    }
    // Each centre to its mean; a colour's bound to its own centre grows by
    // that centre's move, its bound to the others shrinks by the largest
    // move of another centre.
    std::vector<double> moves(centres.size(), 0);
    for (std::size_t c = 0; c < centres.size(); ++c) {
      if (weights[c] > 0) {
        const auto mean = [&](std::size_t axis) {
          const std::int64_t sum = sums[c][axis];
          const std::int64_t magnitude =
              (2 * (sum < 0 ? -sum : sum) + weights[c]) / (2 * weights[c]);
          return static_cast<std::int32_t>(sum < 0 ? -magnitude : magnitude);
        };
        const Lab moved{mean(0), mean(1), mean(2)};
        moves[c] = Root(SquaredDistance(moved, centres[c]));
        centres[c] = moved;
      }
    }
    const auto most = std::ranges::max_element(moves);
    if (*most == 0) {
      break;
    }
    const double largest = *most;
    double otherLargest = 0;
    for (std::size_t c = 0; c < moves.size(); ++c) {
      if (c != static_cast<std::size_t>(most - moves.begin())) {
        otherLargest = std::max(otherLargest, moves[c]);
      }
    }
    for (std::size_t i = 0; i < colours.size(); ++i) {
      const std::size_t c = taken[i];
      bounds[i].upper += moves[c];
      bounds[i].lower -=
          c == static_cast<std::size_t>(most - moves.begin()) ? otherLargest : largest;
    }
  }
  return centres;
}

}  // namespace sprite::colour
