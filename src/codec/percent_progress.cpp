#include "codec/percent_progress.h"

#include <limits>

#include "codec/byte_window.h"
#include "codec/rounded_percent.h"

namespace sprite::codec {
namespace {

// std::popcount is a library call where the target has no popcount
// instruction.
constexpr std::size_t PopCount(std::uint64_t x) {
  x -= (x >> 1) & 0x5555555555555555;
  x = (x & 0x3333333333333333) + ((x >> 2) & 0x3333333333333333);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
  return static_cast<std::size_t>((x * 0x0101010101010101) >> 56);
}

}  // namespace

PercentProgress::PercentProgress(std::size_t streamLength) {
  for (std::size_t percent = 0; percent < kPercentages && streamLength > 0; ++percent) {
    marks_[percent] = static_cast<std::size_t>(LastPositionAtPercent(
        static_cast<std::int32_t>(percent), static_cast<std::int64_t>(streamLength)));
  }
  marks_[kPercentages] = std::numeric_limits<std::size_t>::max();
}

void PercentProgress::Report(RowsHost& host) const {
  if (marks_[kPercentages - 1] == 0) {
    return;  // an empty stream has no elements, nor percentages
  }
  std::size_t reported = 0;
  for (std::size_t percent = 0; percent < kPercentages; ++percent) {
    // The mark lies in the first window that ends at or after it.
    const std::size_t mark = marks_[percent];
    const std::size_t base = mark == 0 ? 0 : (mark - 1) / kWindow * kWindow;
    const MarkWindow& window = windows_[percent];
    const std::uint64_t before =
        mark - base >= kWindow ? ~std::uint64_t{0} : (std::uint64_t{1} << (mark - base)) - 1;
    const std::size_t ends = mark - window.markersBefore - PopCount(window.markerBits & before);
    if (ends > reported) {
      host.ElementsDecoded(static_cast<std::int32_t>(percent),
                           static_cast<std::int64_t>(ends - reported));
      reported = ends;
    }
  }
}

}  // namespace sprite::codec
