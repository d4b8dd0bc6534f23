#include "colour/quantiser.h"

#include <algorithm>
#include <array>
#include <string>

#include "colour/k_means.h"
#include "common/error.h"

namespace sprite::colour {

namespace {

constexpr int kMeansPasses = 8;

using Point = WeightedColour;

// A run of points and its moments, in double precision.
struct Box {
  std::size_t begin = 0;
  std::size_t end = 0;
  double weight = 0;
  std::array<double, 3> sum{};
  std::array<double, 3> squares{};

  double Error(std::size_t axis) const { return squares[axis] - sum[axis] * sum[axis] / weight; }
  double Error() const { return Error(0) + Error(1) + Error(2); }
};

Box Measure(const std::vector<Point>& points, std::size_t begin, std::size_t end) {
  Box box{begin, end};
  for (std::size_t i = begin; i < end; ++i) {
    const double w = static_cast<double>(points[i].weight);
    box.weight += w;
    for (std::size_t c = 0; c < 3; ++c) {
      const double v = points[i].lab[c];
      box.sum[c] += w * v;
      box.squares[c] += w * v * v;
    }
  }
  return box;
}

// Sorts the box along its axis of most error and cuts it where the two
// halves' error is least: the cut that keeps most of Σ sum²/weight.
// Sorts the points of a box by their component `axis`, then their order: as
// one 64-bit word each, the component (made unsigned) above the order, which
// sorts faster than the fields of points compared in turn; each point is then
// taken back from `byOrder`, the points in order.
void SortAlong(std::vector<Point>& points, const Box& box, std::size_t axis,
               const std::vector<Point>& byOrder, std::vector<std::uint64_t>& words) {
  words.clear();
  for (std::size_t i = box.begin; i < box.end; ++i) {
    const auto component = static_cast<std::uint32_t>(points[i].lab[axis]) ^ 0x80000000u;
    words.push_back(std::uint64_t{component} << 32 | points[i].order);
  }
  std::ranges::sort(words);
  for (std::size_t k = 0; k < words.size(); ++k) {
    points[box.begin + k] = byOrder[words[k] & 0xFFFFFFFFu];
  }
}

std::pair<Box, Box> Cut(std::vector<Point>& points, const Box& box,
                        const std::vector<Point>& byOrder, std::vector<std::uint64_t>& words) {
  std::size_t axis = 0;
  for (std::size_t c = 1; c < 3; ++c) {
    if (box.Error(c) > box.Error(axis)) {
      axis = c;
    }
  }
  SortAlong(points, box, axis, byOrder, words);
  double weight = 0;
  std::array<double, 3> sum{};
  double best = -1;
  std::size_t cut = box.begin + 1;
  for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
    const double w = static_cast<double>(points[i].weight);
    weight += w;
    double kept = 0;
    for (std::size_t c = 0; c < 3; ++c) {
      sum[c] += w * points[i].lab[c];
      const double rest = box.sum[c] - sum[c];
      kept += sum[c] * sum[c] / weight + rest * rest / (box.weight - weight);
    }
    if (kept > best) {
      best = kept;
      cut = i + 1;
    }
  }
  return {Measure(points, box.begin, cut), Measure(points, cut, box.end)};
}

// `points` come in their order (order i at place i).
std::vector<Box> MedianCut(std::vector<Point>& points, std::size_t most) {
  const std::vector<Point> byOrder = points;
  std::vector<std::uint64_t> words;
  std::vector<Box> boxes = {Measure(points, 0, points.size())};
  while (boxes.size() < most) {
    std::size_t worst = boxes.size();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].end - boxes[i].begin >= 2 && boxes[i].Error() > 0 &&
          (worst == boxes.size() || boxes[i].Error() > boxes[worst].Error())) {
        worst = i;
      }
    }
    if (worst == boxes.size()) {
      break;
    }
    auto [low, high] = Cut(points, boxes[worst], byOrder, words);
    boxes[worst] = low;
    boxes.push_back(high);
  }
  return boxes;
}

// Distinct colours, dark to light (then by key).
std::vector<Rgb> DarkToLight(std::vector<Rgb> colours) {
  std::vector<std::pair<std::int64_t, std::uint32_t>> order;
  for (const Rgb& c : colours) {
    order.emplace_back(ToOklab(c).l, KeyOf(c));
  }
  std::ranges::sort(order);
  order.erase(std::unique(order.begin(), order.end()), order.end());
  colours.clear();
  for (const auto& [lightness, key] : order) {
    colours.push_back(RgbOfKey(key));
  }
  return colours;
}

}  // namespace

std::vector<Rgb> Quantise(const ColourHistogram& histogram, std::size_t most) {
  if (most < 1 || most > kMostQuantisedColours) {
    throw InvalidArgumentError("a palette is quantised to 1 to 255 colours, not " +
                               std::to_string(most));
  }
  const std::vector<ColourHistogram::Bin> bins = histogram.Bins();
  std::vector<Rgb> colours;
  if (bins.size() <= most && histogram.DroppedBits() == 0) {
    for (const auto& bin : bins) {
      colours.push_back(bin.mean);
    }
    return DarkToLight(std::move(colours));
  }
  std::vector<Point> points;
  points.reserve(bins.size());
  for (std::size_t i = 0; i < bins.size(); ++i) {
    const Lab lab = ToOklab(bins[i].mean);
    points.push_back({{lab.l, lab.a, lab.b}, bins[i].pixels, static_cast<std::uint32_t>(i)});
  }
  std::vector<Lab> centres;
  std::vector<std::uint32_t> boxOf(points.size());
  for (const Box& box : MedianCut(points, most)) {
    std::fill(boxOf.begin() + static_cast<std::ptrdiff_t>(box.begin),
              boxOf.begin() + static_cast<std::ptrdiff_t>(box.end),
              static_cast<std::uint32_t>(centres.size()));
    centres.push_back({static_cast<std::int32_t>(box.sum[0] / box.weight),
                       static_cast<std::int32_t>(box.sum[1] / box.weight),
                       static_cast<std::int32_t>(box.sum[2] / box.weight)});
  }
  for (const Lab& centre : KMeans(points, std::move(centres), std::move(boxOf), kMeansPasses)) {
    colours.push_back(NearestRgb(centre));
  }
  return DarkToLight(std::move(colours));
}

}  // namespace sprite::colour
