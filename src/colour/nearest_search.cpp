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
// The cell past the grid's, of every point, for queries outside it.
constexpr std::size_t kOutside = kCellCount;

// The squared distances along one axis from `v` to the nearest and the
// farthest point of [low, high].
struct AxisDistances {
  std::int64_t nearest = 0;
  std::int64_t farthest = 0;
};
inline AxisDistances AlongAxis(std::int32_t v, std::int32_t low, std::int32_t high) {
  const std::int64_t below = std::int64_t{low} - v;
  const std::int64_t above = std::int64_t{v} - high;
  const std::int64_t outside = std::max(std::max(below, above), std::int64_t{0});
  const std::int64_t far = std::max(-below, -above);
  return {outside * outside, far * far};
}

// The squared distances from `p` to the nearest and the farthest point of the box.
inline AxisDistances DistancesToBox(const Lab& p, const Lab& low, const Lab& high) {
  const AxisDistances l = AlongAxis(p.l, low.l, high.l);
  const AxisDistances a = AlongAxis(p.a, low.a, high.a);
  const AxisDistances b = AlongAxis(p.b, low.b, high.b);
  return {l.nearest + a.nearest + b.nearest, l.farthest + a.farthest + b.farthest};
}

// Cells in blocks of 4 × 4 × 4.
constexpr int kBlockBits = 2;
constexpr std::int32_t kBlocks = 9;
constexpr std::size_t kBlockCount = std::size_t{kBlocks} * kBlocks * kBlocks;

// The box of the block of 2^`bits` cells a side at `at`, in blocks of that size.
std::pair<Lab, Lab> BoxOf(const std::array<std::int32_t, 3>& at, int bits) {
  const auto edge = [&](std::size_t axis, std::int32_t step) {
    return kGridLow[axis] + (((at[axis] + step) << bits) << kCellBits[axis]);
  };
  return {{edge(0, 0), edge(1, 0), edge(2, 0)}, {edge(0, 1), edge(1, 1), edge(2, 1)}};
}

// Calls `take` with the place and squared distance to the box of each of
// `count` points (the head's points at place(0) ...) that can be nearest or
// nearest but one from somewhere in the box: those no farther from it than the
// second-smallest farthest distance. Within the smallest lies the nearest point
// from anywhere in the box, which it returns.
template <typename Place, typename Take>
std::int64_t ForEachWithin(const auto* head, std::size_t count, Place place, const Lab& low,
                           const Lab& high, Take take) {
  std::int64_t smallest = std::numeric_limits<std::int64_t>::max();
  std::int64_t second = smallest;
  std::array<std::int64_t, 256> toBox;
  for (std::size_t k = 0; k < count; ++k) {
    const auto [nearest, farthest] = DistancesToBox(head[place(k)].lab, low, high);
    toBox[k] = nearest;
    if (farthest < smallest) {
      second = smallest;
      smallest = farthest;
    } else if (farthest < second) {
      second = farthest;
    }
  }
  for (std::size_t k = 0; k < count; ++k) {
    if (toBox[k] <= second) {
      take(place(k), toBox[k]);
    }
  }
  return smallest;
}

}  // namespace

// At most 2^20 listed points, 24 MiB, whatever the palette and the queries.
NearestSearch::NearestSearch(std::vector<Lab> points, std::size_t first, std::size_t mostListed)
    : points_(std::move(points)),
      mostListed_(mostListed),
      cellStart_(2 * (kCellCount + 1), kUnlisted),
      cellSize_(2 * (kCellCount + 1), 0),
      few_(kCellCount + 1),
      blocks_(kBlockCount),
      blockListed_(kBlockCount, false) {
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
  // Queries outside the grid look at every point: the head of the lists.
  few_[kOutside].size = few_[kOutside].sizeTwo = kLong;
  cellStart_[2 * kOutside] = cellStart_[2 * kOutside + 1] = 0;
  cellSize_[2 * kOutside] = cellSize_[2 * kOutside + 1] = static_cast<std::uint16_t>(distinct_);
}

const std::vector<std::uint16_t>& NearestSearch::BlockOf(const std::array<std::int32_t, 3>& at) {
  const std::array<std::int32_t, 3> block = {at[0] >> kBlockBits, at[1] >> kBlockBits,
                                             at[2] >> kBlockBits};
  const auto index = static_cast<std::size_t>((block[0] * kBlocks + block[1]) * kBlocks + block[2]);
  if (!blockListed_[index]) {
    blockListed_[index] = true;
    const auto [low, high] = BoxOf(block, kBlockBits);
    const auto every = [](std::size_t k) { return k; };
    std::vector<std::uint16_t>& places = blocks_[index];
    ForEachWithin(lists_.data(), distinct_, every, low, high, [&](std::size_t k, std::int64_t) {
      places.push_back(static_cast<std::uint16_t>(k));
    });
  }
  return blocks_[index];
}

void NearestSearch::ListCell(std::size_t cell) {
  const std::array<std::int32_t, 3> at = {static_cast<std::int32_t>(cell / kCells[2] / kCells[1]),
                                          static_cast<std::int32_t>(cell / kCells[2] % kCells[1]),
                                          static_cast<std::int32_t>(cell % kCells[2])};
  const auto [low, high] = BoxOf(at, 0);
  // A cell's candidates are among its block's: no point is nearer the cell
  // than the block, and no point's farthest corner of the cell is farther
  // than its farthest corner of the block.
  const std::vector<std::uint16_t>& block = BlockOf(at);
  const auto place = [&](std::size_t k) { return std::size_t{block[k]}; };
  scratch_.clear();
  const std::int64_t smallest = ForEachWithin(
      lists_.data(), block.size(), place, low, high, [&](std::size_t k, std::int64_t d) {
        scratch_.push_back({lists_[k].lab, lists_[k].index, d});
      });
  // Each list runs from the point nearest the cell outwards, so that a search
  // stops at the first point whose distance to the cell passes the best found.
  std::ranges::sort(scratch_, [](const Listed& x, const Listed& y) {
    return x.toCell != y.toCell ? x.toCell < y.toCell : x.index < y.index;
  });
  const auto nearestCount = static_cast<std::size_t>(
      std::ranges::find_if(scratch_, [&](const Listed& p) { return p.toCell > smallest; }) -
      scratch_.begin());
  Few& few = few_[cell];
  const auto fits = [&](std::size_t size) {
    return size <= few.points.size() ? static_cast<std::uint8_t>(size) : kLong;
  };
  few.size = fits(nearestCount);
  few.sizeTwo = fits(scratch_.size());
  for (std::size_t k = 0; k < std::min(few.points.size(), scratch_.size()); ++k) {
    few.points[k] = static_cast<std::uint8_t>(scratch_[k].index);
  }
  // Only candidates too many for the cell's own record are listed.
  if (few.sizeTwo == kLong) {
    const std::array<std::size_t, 2> sizes = {nearestCount, scratch_.size()};
    for (std::size_t two = 0; two < 2; ++two) {
      const std::size_t size = sizes[two];
      const std::size_t list = 2 * cell + two;
      cellStart_[list] = static_cast<std::uint32_t>(lists_.size());
      cellSize_[list] = static_cast<std::uint16_t>(size);
      lists_.insert(lists_.end(), scratch_.begin(),
                    scratch_.begin() + static_cast<std::ptrdiff_t>(size));
    }
  }
}

std::size_t NearestSearch::CellOf(const Lab& query) {
  // Below the grid a component wraps to a large number, past the grid too.
  const auto along = [&](std::int32_t value, std::size_t axis) {
    return static_cast<std::uint64_t>(std::int64_t{value} - kGridLow[axis]) >> kCellBits[axis];
  };
  const std::uint64_t l = along(query.l, 0), a = along(query.a, 1), b = along(query.b, 2);
  if (l >= kCells[0] || a >= kCells[1] || b >= kCells[2]) {
    return kOutside;
  }
  const auto cell = static_cast<std::size_t>((l * kCells[1] + a) * kCells[2] + b);
  if (few_[cell].size == 0) [[unlikely]] {
    List(cell);
  }
  return cell;
}

void NearestSearch::List(std::size_t cell) {
  if (lists_.size() < mostListed_) {
    ListCell(cell);
    return;
  }
  few_[cell].size = few_[cell].sizeTwo = kLong;
  cellStart_[2 * cell] = cellStart_[2 * cell + 1] = 0;
  cellSize_[2 * cell] = cellSize_[2 * cell + 1] = static_cast<std::uint16_t>(distinct_);
}

std::pair<const NearestSearch::Listed*, const NearestSearch::Listed*> NearestSearch::Candidates(
    std::size_t cell, bool two) const {
  const std::size_t list = 2 * cell + (two ? 1 : 0);
  const Listed* start = lists_.data() + cellStart_[list];
  return {start, start + cellSize_[list]};
}

std::size_t NearestSearch::Nearest(const Lab& query) {
  const std::size_t cell = CellOf(query);
  const Few& few = few_[cell];
  if (few.size != kLong) {
    // Distance and index in one word, so that the smallest is the nearest
    // with ties to the lower index, taken without a branch to mispredict.
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    for (std::size_t k = 0; k < few.size; ++k) {
      const std::uint8_t index = few.points[k];
      best = std::min(best, SquaredDistance(points_[index], query) << 8 | index);
    }
    return static_cast<std::size_t>(best & 0xFF);
  }
  const auto [begin, end] = Candidates(cell, false);
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

void NearestSearch::NearestInBox(const Lab& low, const Lab& high, std::span<const Lab> queries,
                                 std::span<std::uint8_t> nearest) {
  scratch_.clear();
  const auto every = [](std::size_t k) { return k; };
  const std::int64_t smallest =
      ForEachWithin(lists_.data(), distinct_, every, low, high, [&](std::size_t k, std::int64_t d) {
        scratch_.push_back({lists_[k].lab, lists_[k].index, d});
      });
  // Those farther from the box than some point is from all of it can only be
  // nearest but one.
  std::erase_if(scratch_, [&](const Listed& p) { return p.toCell > smallest; });
  for (std::size_t q = 0; q < queries.size(); ++q) {
    // Distance and index in one word, as in Nearest().
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    for (const Listed& p : scratch_) {
      best = std::min(best, SquaredDistance(p.lab, queries[q]) << 8 | p.index);
    }
    nearest[q] = static_cast<std::uint8_t>(best & 0xFF);
  }
}

std::pair<std::size_t, std::size_t> NearestSearch::NearestTwo(const Lab& query) {
  constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max();
  const std::size_t cell = CellOf(query);
  const Few& few = few_[cell];
  if (few.sizeTwo != kLong) {
    // Distance and index in one word, as in Nearest(): the two smallest
    // words are the nearest two, kept without a branch to mispredict.
    std::int64_t first = kFar;
    std::int64_t next = kFar;
    for (std::size_t k = 0; k < few.sizeTwo; ++k) {
      const std::uint8_t index = few.points[k];
      const std::int64_t word = SquaredDistance(points_[index], query) << 8 | index;
      next = std::min(next, std::max(first, word));
      first = std::min(first, word);
    }
    const auto nearest = static_cast<std::size_t>(first & 0xFF);
    return {nearest, next == kFar ? nearest : static_cast<std::size_t>(next & 0xFF)};
  }
  std::pair<std::int64_t, std::size_t> best = {kFar, points_.size()};
  std::pair<std::int64_t, std::size_t> second = best;
  const auto [begin, end] = Candidates(cell, true);
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
