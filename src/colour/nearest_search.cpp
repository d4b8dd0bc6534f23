#include "colour/nearest_search.h"

#include <algorithm>
#include <array>
#include <limits>

#include "common/error.h"

namespace sprite::colour {

namespace {

// The grid spans every sRGB colour's OKLab value with a margin: L from 0 to 1,
// a from −0.234 to 0.277, b from −0.312 to 0.199, in cells a power of two wide
// (1/32 of L, 1/64 of a and b).
constexpr std::array<std::int32_t, 3> kGridLow = {-1024, -16384, -21504};
constexpr std::array<int, 3> kCellBits = {11, 10, 10};
constexpr std::array<std::int32_t, 3> kCells = {33, 34, 34};
constexpr std::size_t kCellCount = std::size_t{33} * 34 * 34;

std::array<std::int32_t, 3> Components(const Lab& p) {
  return {p.l, p.a, p.b};
}

// The squared distances from `p` to the nearest and the farthest point of the box.
std::pair<std::int64_t, std::int64_t> DistancesToBox(const Lab& p, const Lab& low,
                                                     const Lab& high) {
  const auto v = Components(p);
  const auto lo = Components(low);
  const auto hi = Components(high);
  std::int64_t nearest = 0;
  std::int64_t farthest = 0;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    const std::int64_t below = std::int64_t{lo[axis]} - v[axis];
    const std::int64_t above = std::int64_t{v[axis]} - hi[axis];
    const std::int64_t outside = std::max<std::int64_t>({below, above, 0});
    const std::int64_t far = std::max(-below, -above);
    nearest += outside * outside;
    farthest += far * far;
  }
  return {nearest, farthest};
}

}  // namespace

// At most 2^20 listed points, 24 MiB, whatever the palette and the queries.
NearestSearch::NearestSearch(std::vector<Lab> points, std::size_t first, std::size_t mostListed)
    : points_(std::move(points)),
      mostListed_(mostListed),
      cellStart_(2 * kCellCount, kUnlisted),
      cellSize_(2 * kCellCount, 0),
      few_(kCellCount) {
  if (first >= points_.size() || points_.size() > 256) {
    throw InvalidArgumentError("a nearest-colour search needs 1 to 256 points that answer");
  }
  // The head of the lists: every point but the twins of lower ones, which
  // can never win a tie (a palette padded with black has hundreds). Outside
  // the grid, and in cells past the lists' bound, a query looks at them all.
  for (std::size_t i = first; i < points_.size(); ++i) {
    if (std::ranges::none_of(lists_, [&](const Listed& p) { return p.lab == points_[i]; })) {
      lists_.push_back({points_[i], static_cast<std::uint16_t>(i), 0});
    }
  }
  distinct_ = lists_.size();
}

void NearestSearch::ListCell(std::size_t cell) {
  const std::array<std::int32_t, 3> at = {static_cast<std::int32_t>(cell / kCells[2] / kCells[1]),
                                          static_cast<std::int32_t>(cell / kCells[2] % kCells[1]),
                                          static_cast<std::int32_t>(cell % kCells[2])};
  const auto edge = [&](std::size_t axis, std::int32_t step) {
    return kGridLow[axis] + ((at[axis] + step) << kCellBits[axis]);
  };
  const Lab low = {edge(0, 0), edge(1, 0), edge(2, 0)};
  const Lab high = {edge(0, 1), edge(1, 1), edge(2, 1)};
  // Within the smallest farthest distance lies the nearest point from anywhere
  // in the cell; within the second-smallest, the nearest but one.
  std::int64_t smallest = std::numeric_limits<std::int64_t>::max();
  std::int64_t second = smallest;
  std::array<std::int64_t, 256> toCell;
  for (std::size_t k = 0; k < distinct_; ++k) {
    const auto [nearest, farthest] = DistancesToBox(lists_[k].lab, low, high);
    toCell[k] = nearest;
    if (farthest < smallest) {
      second = smallest;
      smallest = farthest;
    } else if (farthest < second) {
      second = farthest;
    }
  }
  // Each list runs from the point nearest the cell outwards, so that a search
  // stops at the first point whose distance to the cell passes the best found.
  scratch_.clear();
  for (std::size_t k = 0; k < distinct_; ++k) {
    if (toCell[k] <= second) {
      scratch_.push_back({lists_[k].lab, lists_[k].index, toCell[k]});
    }
  }
  std::ranges::sort(scratch_, [](const Listed& x, const Listed& y) {
    return x.toCell != y.toCell ? x.toCell < y.toCell : x.index < y.index;
  });
  for (const bool two : {false, true}) {
    const std::size_t list = 2 * cell + (two ? 1 : 0);
    const std::int64_t bound = two ? second : smallest;
    cellStart_[list] = static_cast<std::uint32_t>(lists_.size());
    for (const Listed& p : scratch_) {
      if (p.toCell > bound) {
        break;
      }
      lists_.push_back(p);
    }
    cellSize_[list] = static_cast<std::uint16_t>(lists_.size() - cellStart_[list]);
  }
  Few& few = few_[cell];
  few.size = cellSize_[2 * cell] <= few.points.size()
                 ? static_cast<std::uint8_t>(cellSize_[2 * cell])
                 : kLong;
  for (std::size_t k = 0; few.size != kLong && k < few.size; ++k) {
    few.points[k] = static_cast<std::uint8_t>(lists_[cellStart_[2 * cell] + k].index);
  }
}

std::optional<std::size_t> NearestSearch::CellOf(const Lab& query) {
  const auto v = Components(query);
  std::array<std::int32_t, 3> at{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    at[axis] = (v[axis] - kGridLow[axis]) >> kCellBits[axis];
    if (v[axis] < kGridLow[axis] || at[axis] >= kCells[axis]) {
      return std::nullopt;
    }
  }
  const auto cell = static_cast<std::size_t>((at[0] * kCells[1] + at[1]) * kCells[2] + at[2]);
  if (few_[cell].size == 0 && lists_.size() < mostListed_) {
    ListCell(cell);
  } else if (few_[cell].size == 0) {
    few_[cell].size = kLong;
    cellStart_[2 * cell] = cellStart_[2 * cell + 1] = 0;
    cellSize_[2 * cell] = cellSize_[2 * cell + 1] = static_cast<std::uint16_t>(distinct_);
  }
  return cell;
}

std::pair<const NearestSearch::Listed*, const NearestSearch::Listed*> NearestSearch::Candidates(
    const Lab& query, bool two) {
  const auto cell = CellOf(query);
  if (!cell) {
    return {lists_.data(), lists_.data() + distinct_};
  }
  const std::size_t list = 2 * *cell + (two ? 1 : 0);
  const Listed* start = lists_.data() + cellStart_[list];
  return {start, start + cellSize_[list]};
}

std::size_t NearestSearch::Nearest(const Lab& query) {
  const auto cell = CellOf(query);
  if (cell && few_[*cell].size != kLong) {
    const Few& few = few_[*cell];
    std::size_t best = few.points[0];
    std::int64_t bestDistance = SquaredDistance(points_[best], query);
    for (std::size_t k = 1; k < few.size; ++k) {
      const std::int64_t d = SquaredDistance(points_[few.points[k]], query);
      if (d < bestDistance || (d == bestDistance && few.points[k] < best)) {
        best = few.points[k];
        bestDistance = d;
      }
    }
    return best;
  }
  const auto [begin, end] = Candidates(query, false);
  std::size_t best = begin->index;
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  for (const Listed* p = begin; p != end && p->toCell <= bestDistance; ++p) {
    const std::int64_t d = SquaredDistance(p->lab, query);
    if (d < bestDistance || (d == bestDistance && p->index < best)) {
      best = p->index;
      bestDistance = d;
    }
  }
  return best;
}

std::pair<std::size_t, std::size_t> NearestSearch::NearestTwo(const Lab& query) {
  const auto [begin, end] = Candidates(query, true);
  constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max();
  std::pair<std::int64_t, std::size_t> best = {kFar, points_.size()};
  std::pair<std::int64_t, std::size_t> second = best;
  for (const Listed* p = begin; p != end && p->toCell <= second.first; ++p) {
    const std::pair<std::int64_t, std::size_t> found = {SquaredDistance(p->lab, query), p->index};
    if (found < best) {
      second = best;
      best = found;
    } else if (found < second) {
      second = found;
    }
  }
  return {best.second, second.second < points_.size() ? second.second : best.second};
}

}  // namespace sprite::colour
