// The element walker's sink for a stream decoded in one piece: the bytes in
// order, into a zero-filled buffer that grows as needed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "codec/byte_window.h"
#include "codec/element_walker.h"
#include "common/bytes.h"

namespace sprite::codec {

class GrowingSink {
 public:
  // `out` must be zero-filled and hold at least two windows.
  GrowingSink(ByteView coded, Bytes& out) : coded_(coded), out_(out) {}

  OutputPlace Begin() { return Place(0); }
  OutputPlace Move(OutputPlace at, std::size_t count, std::size_t next) {
    const std::size_t offset = static_cast<std::size_t>(at.dst - out_.data()) + count;
    if (offset + kWindow > out_.size()) {
      // Room for the rest of the stream at the rate decoded so far.
      const std::size_t rest =
          (coded_.size() - next) * ((offset - count) / std::max<std::size_t>(next, 1) + 1);
      out_.resize(offset + 2 * kWindow + rest + rest / 4);
    }
    return Place(offset);
  }
  OutputPlace MoveLiteral(OutputPlace at, const std::uint8_t* src, std::size_t count) {
    return Move(at, count, static_cast<std::size_t>(src - coded_.data()));
  }
  void End(OutputPlace at) { decoded_ = static_cast<std::size_t>(at.dst - out_.data()); }

  std::size_t Decoded() const { return decoded_; }

 private:
  // A place may move on as long as a window store after it stays in the buffer.
  OutputPlace Place(std::size_t offset) {
    return {out_.data() + offset, out_.size() - kWindow - offset + 1};
  }

  ByteView coded_;
  Bytes& out_;
  std::size_t decoded_ = 0;
};

static_assert(ElementSink<GrowingSink>);

}  // namespace sprite::codec
