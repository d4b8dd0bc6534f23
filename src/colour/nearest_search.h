// The nearest of a few hundred points in OKLab (a palette's colours, a
// quantiser's centres) to any point: Euclidean distance, ties to the lower index.
//
// OKLab's range of sRGB colours is cut into a grid of cells; the first query in
// a cell lists the points that can be nearest, or nearest but one, anywhere in
// it (those no farther from the cell than the second-nearest point's farthest
// corner), so a query looks at a few points rather than all. Cells are listed
// from the list of their block of 4 × 4 × 4 cells, made the same way, so that
// listing a cell looks at a few dozen points rather than every one. The lists only
// leave out points that cannot win, so the answer is the one a look at every
// point gives. They hold at most 2^20 points in all: a cell first met after
// that looks at every point.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "colour/oklab.h"

namespace sprite::colour {

class NearestSearch {
 public:
  static constexpr std::size_t kMostListed = std::size_t{1} << 20;

  // The points from `first` on answer queries; those before it never do.
  // `mostListed` below kMostListed is for tests of the bound. Throws
  // InvalidArgumentError when no point would answer, or for more than 256 points.
  NearestSearch(std::vector<Lab> points, std::size_t first, std::size_t mostListed = kMostListed);

  const Lab& Point(std::size_t index) const { return points_[index]; }
  std::size_t Size() const { return points_.size(); }

  std::size_t Nearest(const Lab& query);
  // Nearest() of each of `queries`, which all lie in the box from `low` to
  // `high`, into `nearest`: one look at every point for the few that can be
  // nearest somewhere in the box, then one at those few for each query, so
  // that many queries close together cost little more than one.
  void NearestInBox(const Lab& low, const Lab& high, std::span<const Lab> queries,
                    std::span<std::uint8_t> nearest);
  // The nearest point and the nearest of another value; the nearest twice
  // when no other value answers.
  std::pair<std::size_t, std::size_t> NearestTwo(const Lab& query);

 private:
  static constexpr std::uint32_t kUnlisted = 0xFFFFFFFF;

  // A point as a cell lists it: its value, its index and its squared
  // distance to the cell, together so that a search reads one stream.
  struct Listed {
    Lab lab;
    std::uint16_t index = 0;
    std::int64_t toCell = 0;
  };

  // A cell's candidates when they are few, by index, in the cell's own
  // record, so that most searches read no list: the first `size` can be
  // nearest, the first `sizeTwo` nearest or nearest but one (the list of the
  // nearest is the start of that of the two). Size 0 for a cell not listed
  // yet, kLong for candidates only in the cell's lists.
  struct Few {
    std::uint8_t size = 0;
    std::uint8_t sizeTwo = 0;
    std::array<std::uint8_t, 14> points{};
  };
  static constexpr std::uint8_t kLong = 0xFF;

  // The cell holding `query`, listed; kOutside outside the grid, a cell of
  // every point.
  std::size_t CellOf(const Lab& query);
  // The points that can be nearest (or, with `two`, nearest but one) in `cell`.
  std::pair<const Listed*, const Listed*> Candidates(std::size_t cell, bool two) const;
  // Lists the cell, or once the lists are full gives it every point.
  void List(std::size_t cell);
  void ListCell(std::size_t cell);
  // The head's points that can be nearest or nearest but one in the block of `at`.
  const std::vector<std::uint16_t>& BlockOf(const std::array<std::int32_t, 3>& at);

  std::vector<Lab> points_;
  // How many points head the lists: those that can answer.
  std::size_t distinct_ = 0;
  std::size_t mostListed_;
  // Two lists a cell, for the nearest and for the nearest two, end to end.
  std::vector<std::uint32_t> cellStart_;
  std::vector<std::uint16_t> cellSize_;
  std::vector<Few> few_;
  std::vector<Listed> lists_;
  // Each block's points by their place in the head of lists_, listed when
  // first needed.
  std::vector<std::vector<std::uint16_t>> blocks_;
  std::vector<bool> blockListed_;
  // Scratch of ListCell and NearestInBox.
  std::vector<Listed> scratch_;
};

}  // namespace sprite::colour
