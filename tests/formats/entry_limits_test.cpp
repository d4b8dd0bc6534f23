// The limits of an archive entry at their edges, in the order they are judged.
#include "formats/entry_limits.h"

#include <gtest/gtest.h>

namespace sprite::formats {
namespace {

using Limit = EntryMisfit::Limit;

std::optional<Limit> Passed(const EntryCandidate& picture) {
  const auto misfit = CheckEntryFits(picture);
  return misfit ? std::optional<Limit>(misfit->limit) : std::nullopt;
}

TEST(EntryLimitsTest, EachLimitHoldsUpToItsEdge) {
  EXPECT_EQ(Passed({kMaxCodablePixelArea, 32767, -32768, kMaxStoredStream}), std::nullopt);
  EXPECT_EQ(Passed({kMaxCodablePixelArea + 1, 1, 1, std::nullopt}), Limit::kPixelArea);
  EXPECT_EQ(Passed({4, 32768, 1, std::nullopt}), Limit::kSize);
  EXPECT_EQ(Passed({4, 1, -32769, std::nullopt}), Limit::kSize);
  EXPECT_EQ(Passed({4, 1, 1, kMaxStoredStream + 1}), Limit::kCodedLength);
  // The first limit passed is the one reported.
  EXPECT_EQ(Passed({kMaxCodablePixelArea + 1, 40000, 1, 40000}), Limit::kPixelArea);
  EXPECT_EQ(Passed({4, 40000, 1, 40000}), Limit::kSize);
}

TEST(EntryLimitsTest, TheLargestCodableAreaIsTheLargestThatCanCodeWithinTheStoredStream) {
  // The shortest code of an area: a width of 1 (one pixel in every 4 bytes),
  // every pixel 0, 255 of them coded into 2 bytes.
  const auto shortestCode = [](std::uint64_t area) { return ((area + 3) / 4 + 254) / 255 * 2; };
  EXPECT_LE(shortestCode(kMaxCodablePixelArea), kMaxStoredStream);
  EXPECT_GT(shortestCode(kMaxCodablePixelArea + 1), kMaxStoredStream);
}

TEST(EntryLimitsTest, TheReasonsNameTheValuesAndTheLimits) {
  EXPECT_EQ(CheckEntryFits({4, 40000, 7, std::nullopt})->what,
            "40000 x 7 pixels; an archive entry holds at most 32767 in each direction");
  EXPECT_EQ(CheckEntryFits({4, 1, 1, 40000})->what,
            "codes to 40000 bytes, more than the 32766 an archive entry holds");
}

}  // namespace
}  // namespace sprite::formats
