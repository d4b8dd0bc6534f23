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
  PercentSteps rowPercent(1, static_cast<std::int64_t>(width), static_cast<std::int64_t>(length));
  for (std::size_t rows = (length - 1) / width + 1; rows > 0; --rows, rowPercent.Advance()) {
    host.Yield();
    host.SetRowPercent(rowPercent.Current());
  }
}

}  // namespace sprite::codec
