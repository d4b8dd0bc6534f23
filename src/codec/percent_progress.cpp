#include "codec/percent_progress.h"

#include <iterator>

#include "codec/rounded_percent.h"

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

void ReportRows(std::size_t length, std::size_t width, RowsHost& host) {
  if (length == 0) {
    return;  // no rows to report, and no whole to take a share of
  }
  // Tables of this many rows: one host call for a sprite's rows, and the
  // table stays on the stack for any picture.
  constexpr std::size_t kTable = 512;  // a multiple of the chains'
  std::int32_t percents[kTable];
  // Four rows in step, each with its own steps four rows long: four short
  // chains of additions the processor runs side by side, not one long one.
  // Named locals, not an array, so that all four stay in registers.
  const auto rowBytes = static_cast<std::int64_t>(width);
  const auto whole = static_cast<std::int64_t>(length);
  const std::int64_t step = 4 * rowBytes;
  PercentSteps row0(1, step, whole);
  PercentSteps row1(1 + rowBytes, step, whole);
  PercentSteps row2(1 + 2 * rowBytes, step, whole);
  PercentSteps row3(1 + 3 * rowBytes, step, whole);
  for (std::size_t rows = (length - 1) / width + 1; rows > 0;) {
    const std::size_t count = rows < kTable ? rows : kTable;
    for (std::size_t k = 0; k < count; k += 4) {
      percents[k] = row0.Current();
      percents[k + 1] = row1.Current();
      percents[k + 2] = row2.Current();
      percents[k + 3] = row3.Current();
      row0.Advance();
      row1.Advance();
      row2.Advance();
      row3.Advance();
    }
    host.RowsPlaced({percents, count});
    rows -= count;
  }
}

}  // namespace sprite::codec
