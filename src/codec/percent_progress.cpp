#include "codec/percent_progress.h"

#include "codec/rounded_percent.h"
#include "codec/row_percents.h"

namespace sprite::codec {

namespace {

template <BitCount kHow>
SPRITE_CODEC_INLINE_BIT_COUNT void ReportElementsCounting(std::size_t streamLength,
                                                          const StreamScan& scan, RowsHost& host) {
  const auto whole = static_cast<std::int64_t>(streamLength);
  std::size_t reported = 0;
  for (std::int32_t percent = 0; percent <= 100; ++percent) {
    const auto last = static_cast<std::size_t>(LastPositionAtPercent(percent, whole));
    const std::size_t ends = last - scan.template MarkersBefore<kHow>(last);
    if (ends > reported) {
      host.ElementsDecoded(percent, static_cast<std::int64_t>(ends - reported));
      reported = ends;
    }
  }
}

#if SPRITE_CODEC_BIT_COUNT_INSTRUCTION
SPRITE_CODEC_WITH_BIT_COUNT void ReportElementsWithInstruction(std::size_t streamLength,
                                                               const StreamScan& scan,
                                                               RowsHost& host) {
  ReportElementsCounting<BitCount::kInstruction>(streamLength, scan, host);
}
#endif

}  // namespace

void ReportElements(std::size_t streamLength, const StreamScan& scan, RowsHost& host) {
  if (streamLength == 0) {
    return;  // an empty stream has no elements, nor percentages
  }
#if SPRITE_CODEC_BIT_COUNT_INSTRUCTION
  if (HasBitCountInstruction()) {
    ReportElementsWithInstruction(streamLength, scan, host);
    return;
  }
#endif
  ReportElementsCounting<BitCount::kPortable>(streamLength, scan, host);
}

namespace {

// Hands the host the percentages of `rows` rows in tables of this many: one
// call for a sprite's rows, and the table stays on the stack for any picture.
template <typename FourRows>
void ReportRowTables(std::size_t rows, FourRows steps, RowsHost& host) {
  constexpr std::size_t kTable = 512;  // a multiple of four
  std::int32_t percents[kTable];
  while (rows > 0) {
    const std::size_t count = rows < kTable ? rows : kTable;
    for (std::size_t k = 0; k < count; k += 4) {
      steps.Put(percents + k);
      steps.Advance();
    }
    host.RowsPlaced({percents, count});
    rows -= count;
  }
}

}  // namespace

void ReportRows(std::size_t length, std::size_t width, RowsHost& host) {
  if (length == 0) {
    return;  // no rows to report, and no whole to take a share of
  }
  const std::size_t rows = (length - 1) / width + 1;
  const auto rowBytes = static_cast<std::int64_t>(width);
  const auto whole = static_cast<std::int64_t>(length);
#if defined(__SSE2__)
  if (whole <= FourRowLanes::kMaxWhole) {
    ReportRowTables(rows, FourRowLanes(1, rowBytes, whole), host);
    return;
  }
#endif
  ReportRowTables(rows, FourRowChains(1, rowBytes, whole), host);
}

}  // namespace sprite::codec
