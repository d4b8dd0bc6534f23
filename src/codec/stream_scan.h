#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/percent_progress.h"
#include "common/bytes.h"

namespace sprite::codec {

// What a decoder learns from one read of a coded stream before it writes a
// byte: how long the output is, so it is sized once, and whether the stream
// is damaged, so nothing is written for a stream that fails.
struct StreamScan {
  std::size_t decoded = 0;  // bytes the complete elements decode to
  bool complete = true;     // false when a zero-run marker ends the stream without its count
  // ZeroMask of every whole 64-byte window, so the decoding walk need not
  // look for the zero bytes again.
  std::vector<std::uint64_t> zeroMasks;
};

// Scans `coded` a window at a time, and fills in the mark windows of
// `progress` when given.
StreamScan ScanStream(ByteView coded, PercentProgress* progress = nullptr);

}  // namespace sprite::codec
