#include "colour/nearest_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace sprite::colour {
namespace {

// The cells' lists only leave out points that cannot win: the answers are
// those of a look at every point, for sets of every size, for queries inside
// the sRGB colours and far outside them, in cells met once the lists are full,
// and for queries asked a box at a time.
TEST(NearestSearch, AgreesWithALookAtEveryPoint) {
  std::mt19937 random(7);
  const auto component = [&](std::int32_t low, std::int32_t high) {
    return low + static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(high - low));
  };
  const auto inside = [&] {
    return Lab{component(kSrgbLow.l, kSrgbHigh.l), component(kSrgbLow.a, kSrgbHigh.a),
               component(kSrgbLow.b, kSrgbHigh.b)};
  };
  for (const auto& [size, mostListed] : {std::pair<std::size_t, std::size_t>{2, 1 << 20},
                                         {3, 1 << 20},
                                         {17, 1 << 20},
                                         {256, 1 << 20},
                                         {256, 3000}}) {
    SCOPED_TRACE(testing::Message() << size << " points, " << mostListed << " listed");
    std::vector<Lab> points;
    for (std::size_t i = 0; i < size; ++i) {
      points.push_back(inside());
    }
    // A twin of another point, so that ties happen.
    points[size - 1] = points[size / 2];
    NearestSearch search(points, 1, mostListed);
    for (int n = 0; n < 4000; ++n) {
      const Lab query = n % 10 == 0
                            ? Lab{component(-kLabOne, 2 * kLabOne), component(-kLabOne, kLabOne), 0}
                            : inside();
      // Ordered by distance, then index.
      std::vector<std::pair<std::int64_t, std::size_t>> order;
      for (std::size_t i = 1; i < size; ++i) {
        order.emplace_back(SquaredDistance(points[i], query), i);
      }
      std::ranges::sort(order);
      ASSERT_EQ(search.Nearest(query), order[0].second);
      const auto two = search.NearestTwo(query);
      ASSERT_EQ(two.first, order[0].second);
      // The nearest but one is the nearest of another value: never a twin.
      const auto other = std::ranges::find_if(
          order, [&](const auto& p) { return points[p.second] != points[order[0].second]; });
      ASSERT_EQ(two.second, other == order.end() ? order[0].second : other->second);
      // Queries close together, answered at once as dithering asks them.
      if (n % 20 == 1) {
        const Lab low = query, high = {query.l + 4096, query.a + 2048, query.b + 1024};
        const Lab near[] = {low, high, {low.l + 100, high.a, low.b + 1000}};
        std::uint8_t found[3];
        search.NearestInBox(low, high, near, found);
        for (std::size_t k = 0; k < 3; ++k) {
          ASSERT_EQ(found[k], search.Nearest(near[k])) << k;
        }
      }
    }
  }
}

}  // namespace
}  // namespace sprite::colour
