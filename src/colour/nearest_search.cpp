#include "colour/nearest_search.h"

#include <algorithm>
#include <array>
#include <limits>

#include "common/error.h"

namespace sprite::colour {

namespace {

// The grid spans every sRGB colour's OKLab value with a margin: L from 0 to 1,
// a from −0.234 to 0.277, b from −0.312 to 0.199.
constexpr std::array<std::int32_t, 3> kGridLow = {-512, -15872, -20992};
constexpr std::array<std::int32_t, 3> kGridSpan = {66560, 34560, 34560};
constexpr std::int32_t kCellsPerAxis = 32;

std::array<std::int32_t, 3> Components(const Lab& p) {
  return {p.l, p.a, p.b};
}

// Cell number along one axis of a component, or −1 outside the grid.
std::int32_t CellAlong(std::int32_t value, std::size_t axis) {
  const std::int64_t offset = std::int64_t{value} - kGridLow[axis];
  if (offset < 0 || offset >= kGridSpan[axis]) {
    return -1;
  }
  return static_cast<std::int32_t>(offset * kCellsPerAxis / kGridSpan[axis]);
}

std::int32_t CellEdge(std::int32_t cell, std::size_t axis) {
  return kGridLow[axis] +
         static_cast<std::int32_t>(std::int64_t{kGridSpan[axis]} * cell / kCellsPerAxis);
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

NearestSearch::NearestSearch(std::vector<Lab> points, std::size_t first)
    : points_(std::move(points)),
      cellStart_(std::size_t{kCellsPerAxis} * kCellsPerAxis * kCellsPerAxis, kUnlisted),
      cellSize_(cellStart_.size(), 0) {
  if (first >= points_.size() || points_.size() > 256) {
    throw InvalidArgumentError("a nearest-colour search needs 1 to 256 points that answer");
  }
  for (std::size_t i = first; i < points_.size(); ++i) {
    everyPoint_.push_back(static_cast<std::uint16_t>(i));
  }
}

void NearestSearch::ListCell(std::size_t cell, const Lab& low, const Lab& high) {
  // The second-smallest farthest distance: within it lie the nearest point
  // and the nearest but one from anywhere in the cell.
  std::int64_t smallest = std::numeric_limits<std::int64_t>::max();
  std::int64_t second = smallest;
  for (const std::uint16_t i : everyPoint_) {
    const std::int64_t farthest = DistancesToBox(points_[i], low, high).second;
    if (farthest < smallest) {
      second = smallest;
      smallest = farthest;
    } else if (farthest < second) {
      second = farthest;
    }
  }
  cellStart_[cell] = static_cast<std::uint32_t>(lists_.size());
  for (const std::uint16_t i : everyPoint_) {
    if (DistancesToBox(points_[i], low, high).first <= second) {
      lists_.push_back(i);
    }
  }
  cellSize_[cell] = static_cast<std::uint16_t>(lists_.size() - cellStart_[cell]);
}

std::pair<const std::uint16_t*, const std::uint16_t*> NearestSearch::Candidates(const Lab& query) {
  const auto v = Components(query);
  std::array<std::int32_t, 3> at{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    at[axis] = CellAlong(v[axis], axis);
    if (at[axis] < 0) {
      return {everyPoint_.data(), everyPoint_.data() + everyPoint_.size()};
    }
  }
  const auto cell =
      static_cast<std::size_t>((at[0] * kCellsPerAxis + at[1]) * kCellsPerAxis + at[2]);
  if (cellStart_[cell] == kUnlisted) {
    ListCell(cell, {CellEdge(at[0], 0), CellEdge(at[1], 1), CellEdge(at[2], 2)},
             {CellEdge(at[0] + 1, 0), CellEdge(at[1] + 1, 1), CellEdge(at[2] + 1, 2)});
  }
  const std::uint16_t* start = lists_.data() + cellStart_[cell];
  return {start, start + cellSize_[cell]};
}

std::size_t NearestSearch::Nearest(const Lab& query) {
  return NearestOther(query, points_.size());
}

std::size_t NearestSearch::NearestOther(const Lab& query, std::size_t excluded) {
  const auto [begin, end] = Candidates(query);
  std::size_t best = excluded;
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  // The lists run in index order: only a strictly nearer point takes over.
  for (const std::uint16_t* i = begin; i != end; ++i) {
    const std::int64_t d = SquaredDistance(points_[*i], query);
    if (d < bestDistance && *i != excluded) {
      best = *i;
      bestDistance = d;
    }
  }
  return best;
}

}  // namespace sprite::colour
