#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

#include "codec/byte_window.h"
#include "common/bytes.h"

namespace sprite::codec {

// Walks the elements of a coded stream (literal bytes 01..FF, and zero runs
// 00 n) a window at a time, and with kWrite decodes them. In a window where no
// two zero bytes are adjacent, every zero byte is a run marker and the byte
// after it its count; a window with adjacent zeros (a count of 0, which the
// encoder never writes) is walked one element at a time.
//
// The walk can stop after any element and go on later where it stopped, so a
// decoder can report progress in between without starting over.
//
// How the output is written: `start` is where the open literal span begins
// and `o` the output offset of its first byte. The span's bytes are stored
// ahead of `o` a window at a time; what a store puts past the span's end lies
// within 64 bytes of that end, and the run that follows zeroes those 64 bytes.
// Past them the output is still as zero-filled, so a run writes no more. Every
// store lands at or after `o`, so the bytes before it are final.
template <bool kWrite>
class ElementWalker {
 public:
  // With kWrite the decoded bytes go to `out`, which must be zero-filled; it
  // grows as needed and ends up longer than the decoded bytes.
  // Without it, `out` is not used and only offsets are counted.
  ElementWalker(ByteView coded, Bytes* out) : in_(coded.data()), n_(coded.size()), out_(out) {}

  // Walks on over the elements whose last byte lies before index `limit`
  // (at most the stream length) and returns how many it walked. A zero-run
  // marker whose count byte lies at or past `limit` is left for later.
  std::int64_t WalkTo(std::size_t limit) {
    // The walk runs on local copies: stores through the output's byte pointer
    // could alias the members and would force them back to memory.
    std::size_t start = state_.start;
    std::size_t o = state_.o;
    std::size_t base = state_.base;
    std::uint64_t pending = state_.pending;
    bool loaded = state_.loaded;
    bool fast = state_.fast;
    const std::size_t from = start;
    std::size_t markers = 0;
    std::uint8_t* out = nullptr;
    std::size_t room = 0;
    if constexpr (kWrite) {
      out = out_->data();
      room = out_->size();
    }
    // Before `length` bytes are put at `o`, with a window store after them.
    const auto ensureRoom = [&](std::size_t length) {
      if constexpr (kWrite) {
        if (room - o < length + 2 * kWindow) {
          // Room for the rest of the stream at the rate decoded so far.
          const std::size_t rest = (n_ - start) * (o / std::max<std::size_t>(start, 1) + 1);
          out_->resize(o + length + 2 * kWindow + rest + rest / 4);
          out = out_->data();
          room = out_->size();
        }
      }
    };
    const auto finish = [&] {
      state_ = {start, o, base, pending, loaded, fast};
      return static_cast<std::int64_t>(start - from - markers);
    };

    while (start < limit) {
      if (!loaded) {
        // `start` is the window's first or second byte (the second when the
        // last window ended with a run marker).
        loaded = true;
        fast = false;
        ensureRoom(0);
        if (n_ - base >= kWindow) {
          const std::uint64_t zeros = ZeroMask(in_ + base) & (~std::uint64_t{0} << (start - base));
          if ((zeros & (zeros << 1)) == 0) {
            fast = true;
            pending = zeros;
            if constexpr (kWrite) {
              CopyUpToWindow(out + o, in_ + start, in_ + n_);
            }
          }
        }
      }
      const std::size_t windowEnd = base + kWindow;
      if (fast) {
        for (; pending != 0; pending &= pending - 1) {
          const std::size_t marker = base + static_cast<std::size_t>(std::countr_zero(pending));
          if (marker + 1 >= limit) {
            // The run ends at or past the limit; the literal bytes before it
            // are walked as far as the limit.
            const std::size_t stop = std::min(marker, limit);
            o += stop - start;
            start = stop;
            return finish();
          }
          o += marker - start;
          ensureRoom(in_[marker + 1]);
          if constexpr (kWrite) {
            ZeroWindow(out + o);
          }
          o += in_[marker + 1];
          ++markers;
          start = marker + 2;
          if constexpr (kWrite) {
            CopyUpToWindow(out + o, in_ + start, in_ + n_);
          }
        }
        // The rest of the window is literal bytes.
        const std::size_t literalEnd = std::min(windowEnd, limit);
        if (start < literalEnd) {
          o += literalEnd - start;
          start = literalEnd;
        }
      } else {
        const std::size_t end = std::min({windowEnd, limit, n_});
        while (start < end) {
          const std::uint8_t b = in_[start];
          if (b != 0) {
            if constexpr (kWrite) {
              out[o] = b;
            }
            ++o;
            ++start;
            continue;
          }
          if (start + 1 >= limit) {
            return finish();
          }
          ensureRoom(in_[start + 1]);
          if constexpr (kWrite) {
            ZeroWindow(out + o);
          }
          o += in_[start + 1];
          ++markers;
          start += 2;
        }
      }
      if (start >= windowEnd) {
        base += kWindow;
        loaded = false;
      }
    }
    return finish();
  }

  // Stream index of the first element not walked yet.
  std::size_t next() const { return state_.start; }
  // Decoded bytes of the elements walked.
  std::size_t decoded() const { return state_.o; }

 private:
  struct State {
    std::size_t start = 0;      // first byte of the open literal span
    std::size_t o = 0;          // its output offset
    std::size_t base = 0;       // the window that holds `start`
    std::uint64_t pending = 0;  // run markers of the window not walked yet
    bool loaded = false;
    bool fast = false;
  };

  const std::uint8_t* in_;
  std::size_t n_;
  Bytes* out_;
  State state_;
};

// Decoded length of the complete elements of a stream.
inline std::size_t MeasureStream(ByteView coded) {
  ElementWalker<false> walker(coded, nullptr);
  walker.WalkTo(coded.size());
  return walker.decoded();
}

}  // namespace sprite::codec
