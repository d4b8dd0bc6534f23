#include "codec/rounded_percent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "codec/percent_progress.h"

namespace sprite::codec {
namespace {

TEST(RoundedPercent, RoundsHalvesToTheEvenNeighbour) {
  struct Case {
    std::int64_t part, whole;
    std::int32_t percent;
  };
  const Case cases[] = {
      {0, 7, 0},  {7, 7, 100},   {1, 8, 12},  {3, 8, 38},     {5, 8, 62},
      {7, 8, 88}, {1, 200, 0},   {3, 200, 2}, {100, 200, 50}, {1, 3, 33},
      {2, 3, 67}, {1, 40000, 0}, {1, 400, 0}, {3, 400, 1},    {2147483647, 2147483647, 100}};
  for (const Case& c : cases) {
    EXPECT_EQ(RoundedPercent(c.part, c.whole), c.percent) << c.part << "/" << c.whole;
  }
}

double Nearby(std::int64_t part, std::int64_t whole) {
  return std::nearbyint(static_cast<double>(part) * 100.0 / static_cast<double>(whole));
}

TEST(RoundedPercent, AgreesWithFloatingPointRounding) {
  for (std::int64_t whole = 1; whole <= 600; ++whole) {
    for (std::int64_t part = 0; part <= whole; ++part) {
      ASSERT_EQ(RoundedPercent(part, whole), Nearby(part, whole)) << part << "/" << whole;
    }
  }
  // Exact halves with a large whole.
  const std::int64_t largeWhole = 2'000'000'000;
  for (std::int64_t p = 0; p < 100; ++p) {
    const std::int64_t part = largeWhole / 200 * (2 * p + 1);
    ASSERT_EQ(RoundedPercent(part, largeWhole), p % 2 == 0 ? p : p + 1);
    ASSERT_EQ(RoundedPercent(part, largeWhole), Nearby(part, largeWhole));
  }
  std::mt19937_64 rng(99);
  for (int k = 0; k < 200000; ++k) {
    const std::int64_t whole = std::uniform_int_distribution<std::int64_t>(1, INT32_MAX)(rng);
    const std::int64_t part = std::uniform_int_distribution<std::int64_t>(0, whole)(rng);
    ASSERT_EQ(RoundedPercent(part, whole), Nearby(part, whole)) << part << "/" << whole;
  }
}

TEST(PercentSteps, GivesTheRoundedPercentOfEveryStep) {
  std::mt19937_64 rng(5);
  for (int round = 0; round < 2000; ++round) {
    const std::int64_t whole =
        std::uniform_int_distribution<std::int64_t>(1, round < 1000 ? 300 : INT32_MAX)(rng);
    const std::int64_t step =
        std::uniform_int_distribution<std::int64_t>(1, std::min<std::int64_t>(whole, 40000))(rng);
    PercentSteps steps(1, step, whole);
    for (std::int64_t part = 1; part <= whole && part < 1 + 300 * step;
         part += step, steps.Advance()) {
      ASSERT_EQ(steps.Current(), RoundedPercent(part, whole)) << part << "/" << whole;
    }
  }
}

// Keeps the row bar's values, in order.
class RowBarHost : public RowsHost {
 public:
  void Yield() override {}
  void ElementsDecoded(std::int32_t /*percent*/, std::int64_t /*elements*/) override {}
  void RowsPlaced(std::span<const std::int32_t> percents) override {
    bar.insert(bar.end(), percents.begin(), percents.end());
  }
  std::vector<std::int32_t> bar;
};

// Row r of a whole of `length` bytes shows the share up to its first byte.
// Wholes on both sides of 2^29, where the row steps change their arithmetic.
TEST(ReportRows, ShowsEachRowsRoundedPercent) {
  struct Case {
    std::size_t length, width;
  };
  const Case cases[] = {{1, 1},
                        {7, 3},
                        {400, 1},
                        {30976, 176},
                        {30977, 176},
                        {200, 8},
                        {536870911, 32767},
                        {536870912, 32767},
                        {1073741823, 32766}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " bytes in rows of " << c.width);
    RowBarHost host;
    ReportRows(c.length, c.width, host);
    ASSERT_EQ(host.bar.size(), (c.length - 1) / c.width + 1);
    for (std::size_t r = 0; r < host.bar.size(); ++r) {
      ASSERT_EQ(host.bar[r], RoundedPercent(static_cast<std::int64_t>(1 + r * c.width),
                                            static_cast<std::int64_t>(c.length)))
          << "row " << r;
    }
  }
}

TEST(LastPositionAtPercent, IsTheLastPositionShowingThatPercentOrLess) {
  for (std::int64_t whole = 1; whole <= 700; ++whole) {
    std::int64_t last = 0;
    for (std::int32_t percent = 0; percent <= 100; ++percent) {
      while (last < whole && RoundedPercent(last + 1, whole) <= percent) {
        ++last;
      }
      ASSERT_EQ(LastPositionAtPercent(percent, whole), last) << percent << "% of " << whole;
    }
  }
}

}  // namespace
}  // namespace sprite::codec
