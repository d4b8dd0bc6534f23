#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "codec/rle_decoder.h"

namespace sprite::codec {

// The first bar of the row decoder: after each element the bar shows the
// percentage of the stream up to the element's last byte. Every byte of a
// stream ends an element except a run marker, so the elements ending before a
// stream index are the index less the markers before it. The last position of
// each percentage is such an index (a mark): the scan of the stream keeps the
// markers of the window that holds each mark, and Report() counts the
// elements from them and tells the host.
class PercentProgress {
 public:
  // Run markers of a window, and how many came before it.
  struct MarkWindow {
    std::uint64_t markerBits = 0;
    std::size_t markersBefore = 0;
  };

  explicit PercentProgress(std::size_t streamLength);

  // The marks in ascending order, then one that no window reaches.
  std::span<const std::size_t> Marks() const { return marks_; }
  // One for each mark (and one more), filled by the scan.
  std::span<MarkWindow> Windows() { return windows_; }

  // The host calls for the elements of the whole stream.
  void Report(RowsHost& host) const;

 private:
  static constexpr std::size_t kPercentages = 101;

  std::array<std::size_t, kPercentages + 1> marks_{};
  std::array<MarkWindow, kPercentages + 1> windows_{};
};

}  // namespace sprite::codec
