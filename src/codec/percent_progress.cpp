#include "codec/percent_progress.h"

#include "codec/rounded_percent.h"

namespace sprite::codec {

void ReportElements(std::size_t streamLength, const StreamScan& scan, RowsHost& host) {
  if (streamLength == 0) {
    return;  // an empty stream has no elements, nor percentages
  }
  const auto whole = static_cast<std::int64_t>(streamLength);
  std::size_t reported = 0;
  for (std::int32_t percent = 0; percent <= 100; ++percent) {
    const auto last = static_cast<std::size_t>(LastPositionAtPercent(percent, whole));
    const std::size_t ends = last - scan.MarkersBefore(last);
    if (ends > reported) {
      host.ElementsDecoded(percent, static_cast<std::int64_t>(ends - reported));
      reported = ends;
    }
  }
}

void ReportRows(std::size_t length, std::size_t width, RowsHost& host) {
  if (length == 0) {
    return;  // no rows to report, and no whole to take a share of
  }
  // Tables of this many rows: one host call for a sprite's rows, and the
  // table stays on the stack for any picture.
  constexpr std::size_t kTable = 512;
  std::int32_t percents[kTable];
  PercentSteps rowPercent(1, static_cast<std::int64_t>(width), static_cast<std::int64_t>(length));
  for (std::size_t rows = (length - 1) / width + 1; rows > 0;) {
    const std::size_t count = rows < kTable ? rows : kTable;
    for (std::size_t k = 0; k < count; ++k, rowPercent.Advance()) {
      percents[k] = rowPercent.Current();
    }
    host.RowsPlaced({percents, count});
    rows -= count;
  }
}

}  // namespace sprite::codec
