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
      cellStart_(2 * std::size_t{kCellsPerAxis} * kCellsPerAxis * kCellsPerAxis, kUnlisted),
      cellSize_(cellStart_.size(), 0) {
  if (first >= points_.size() || points_.size() > 256) {
    throw InvalidArgumentError("a nearest-colour search needs 1 to 256 points that answer");
  }
  for (std::size_t i = first; i < points_.size(); ++i) {
    everyPoint_.push_back(static_cast<std::uint16_t>(i));
  }
  // Outside the grid, a query looks at every point.
  lists_ = everyPoint_;
  listDistances_.assign(lists_.size(), 0);
}

void NearestSearch::ListCell(std::size_t cell, const Lab& low, const Lab& high) {
  // Within the smallest farthest distance lies the nearest point from anywhere
  // in the cell; within the second-smallest, the nearest but one.
  std::int64_t smallest = std::numeric_limits<std::int64_t>::max();
  std::int64_t second = smallest;
  distances_.clear();
  for (const std::uint16_t i : everyPoint_) {
    const auto [nearest, farthest] = DistancesToBox(points_[i], low, high);
    distances_.push_back(nearest);
    if (farthest < smallest) {
      second = smallest;
      smallest = farthest;
    } else if (farthest < second) {
      second = farthest;
    }
  }
  // Each list runs from the point nearest the cell outwards, so that a search
  // stops at the first point whose distance to the cell passes the best found.
  for (const bool other : {false, true}) {
    const std::size_t list = 2 * cell + (other ? 1 : 0);
    cellStart_[list] = static_cast<std::uint32_t>(lists_.size());
    order_.clear();
    for (std::size_t k = 0; k < everyPoint_.size(); ++k) {
      if (distances_[k] <= (other ? second : smallest)) {
        order_.emplace_back(distances_[k], everyPoint_[k]);
      }
    }
    std::ranges::sort(order_);
    for (const auto& [distance, point] : order_) {
      lists_.push_back(point);
      listDistances_.push_back(distance);
    }
    cellSize_[list] = static_cast<std::uint16_t>(lists_.size() - cellStart_[list]);
  }
}

std::pair<const std::uint16_t*, const std::uint16_t*> NearestSearch::Candidates(const Lab& query,
                                                                                bool other) {
  const auto v = Components(query);
  std::array<std::int32_t, 3> at{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    at[axis] = CellAlong(v[axis], axis);
    if (at[axis] < 0) {
      return {lists_.data(), lists_.data() + everyPoint_.size()};
    }
  }
  const auto cell =
      static_cast<std::size_t>((at[0] * kCellsPerAxis + at[1]) * kCellsPerAxis + at[2]);
  if (cellStart_[2 * cell] == kUnlisted) {
    ListCell(cell, {CellEdge(at[0], 0), CellEdge(at[1], 1), CellEdge(at[2], 2)},
             {CellEdge(at[0] + 1, 0), CellEdge(at[1] + 1, 1), CellEdge(at[2] + 1, 2)});
  }
  const std::size_t list = 2 * cell + (other ? 1 : 0);
  const std::uint16_t* start = lists_.data() + cellStart_[list];
  return {start, start + cellSize_[list]};
}

std::size_t NearestSearch::Nearest(const Lab& query) {
  const auto [begin, end] = Candidates(query, false);
  const std::int64_t* toCell = listDistances_.data() + (begin - lists_.data());
  std::size_t best = *begin;
  std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
  for (const std::uint16_t* i = begin; i != end && *toCell <= bestDistance; ++i, ++toCell) {
    const std::int64_t d = SquaredDistance(points_[*i], query);
    if (d < bestDistance || (d == bestDistance && *i < best)) {
      best = *i;
      bestDistance = d;
    }
  }
  return best;
}

std::pair<std::size_t, std::size_t> NearestSearch::NearestTwo(const Lab& query) {
  const auto [begin, end] = Candidates(query, true);
  const std::int64_t* toCell = listDistances_.data() + (begin - lists_.data());
  constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max();
  std::pair<std::int64_t, std::size_t> best = {kFar, points_.size()};
  std::pair<std::int64_t, std::size_t> second = best;
  for (const std::uint16_t* i = begin; i != end && *toCell <= second.first; ++i, ++toCell) {
    const std::pair<std::int64_t, std::size_t> found = {SquaredDistance(points_[*i], query), *i};
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
