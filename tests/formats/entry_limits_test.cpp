// The limits of an archive entry at their edges, in the order they are judged.
#include "formats/entry_limits.h"

#include <gtest/gtest.h>

namespace sprite::formats {
namespace {

std::optional<FaultKind> Passed(const EntryCandidate& picture) {
  const auto misfit = CheckEntryFits(picture);
  return misfit ? std::optional<FaultKind>(misfit->kind) : std::nullopt;
}

TEST(EntryLimitsTest, EachLimitHoldsUpToItsEdge) {
  EXPECT_EQ(Passed({kMaxCodablePixelArea, 32767, -32768, kMaxStoredStream}), std::nullopt);
  EXPECT_EQ(Passed({kMaxCodablePixelArea + 1, 1, 1, std::nullopt}), FaultKind::kPixelAreaTooLarge);
  EXPECT_EQ(Passed({4, 32768, 1, std::nullopt}), FaultKind::kSizeTooLarge);
  EXPECT_EQ(Passed({4, 1, -32769, std::nullopt}), FaultKind::kSizeTooLarge);
  EXPECT_EQ(Passed({4, 1, 1, kMaxStoredStream + 1}), FaultKind::kCodesTooLong);
  // The first limit passed is the one reported.
  EXPECT_EQ(Passed({kMaxCodablePixelArea + 1, 40000, 1, 40000}), FaultKind::kPixelAreaTooLarge);
  EXPECT_EQ(Passed({4, 40000, 1, 40000}), FaultKind::kSizeTooLarge);
}

TEST(EntryLimitsTest, TheLargestCodableAreaIsTheLargestThatCanCodeWithinTheStoredStream) {
  // The shortest code of an area: a width of 1 (one pixel in every 4 bytes),
  // every pixel 0, 255 of them coded into 2 bytes.
  const auto shortestCode = [](std::uint64_t area) { return ((area + 3) / 4 + 254) / 255 * 2; };
  EXPECT_LE(shortestCode(kMaxCodablePixelArea), kMaxStoredStream);
  EXPECT_GT(shortestCode(kMaxCodablePixelArea + 1), kMaxStoredStream);
}

TEST(EntryLimitsTest, TheFaultCarriesTheValuesAndTheLimit) {
  const Fault size = CheckEntryFits({4, 40000, 7, std::nullopt}).value();
  EXPECT_EQ(size.value, 40000);
  EXPECT_EQ(size.bound, 7);
  const Fault coded = CheckEntryFits({4, 1, 1, 40000}).value();
  EXPECT_EQ(coded.value, 40000);
  EXPECT_EQ(coded.bound, 32766);
}

}  // namespace
}  // namespace sprite::formats
