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
  constexpr std::int64_t kChains = 4;
  const auto rowBytes = static_cast<std::int64_t>(width);
  const auto whole = static_cast<std::int64_t>(length);
  PercentSteps chains[kChains] = {PercentSteps(1, kChains * rowBytes, whole),
                                  PercentSteps(1 + rowBytes, kChains * rowBytes, whole),
                                  PercentSteps(1 + 2 * rowBytes, kChains * rowBytes, whole),
                                  PercentSteps(1 + 3 * rowBytes, kChains * rowBytes, whole)};
  for (std::size_t rows = (length - 1) / width + 1; rows > 0;) {
    const std::size_t count = rows < kTable ? rows : kTable;
    for (std::size_t k = 0; k < count; k += std::size(chains)) {
      for (std::size_t j = 0; j < std::size(chains); ++j) {
        percents[k + j] = chains[j].Current();
        chains[j].Advance();
      }
    }
    host.RowsPlaced({percents, count});
    rows -= count;
  }
}

}  // namespace sprite::codec
