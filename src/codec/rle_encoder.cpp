#include "codec/rle_encoder.h"

#include <array>
#include <bit>
#include <cstring>
#include <functional>

#include "codec/byte_window.h"

namespace sprite::codec {
namespace {

constexpr std::size_t kMaxRunCount = 255;

// The coded size never exceeds n + ceil(n / 2): a zero run of L bytes costs
// 2 * ceil(L / 255) <= L + 1 bytes, and runs are separated by at least one
// literal, so there are at most ceil(n / 2) of them.
std::size_t CodedSizeBound(std::size_t n) {
  return n + (n + 1) / 2;
}

// Elements are built in a small buffer on the stack and appended to the output
// in blocks: the output is reserved once and never zero-filled. One window of
// input adds at most 64 literal bytes, and 4 bytes for each of at most 32 runs
// ending in it; a window store needs its room of 64 bytes more (byte_window.h).
constexpr std::size_t kStage = 4096;
constexpr std::size_t kStageRoom = kStage + 4 * kWindow;

std::uint8_t* PutZeroRun(std::uint8_t* w, std::size_t length) {
  for (; length >= kMaxRunCount; length -= kMaxRunCount) {
    *w++ = 0;
    *w++ = static_cast<std::uint8_t>(kMaxRunCount);
  }
  if (length != 0) {
    *w++ = 0;
    *w++ = static_cast<std::uint8_t>(length);
  }
  return w;
}

// The input is a sequence of segments, literal spans and zero runs in turn,
// starting with a literal span that may be empty; `start` is where the open
// segment began. While a literal span is open, `w` is where its byte at
// `start` goes: the span's bytes are stored ahead of `w` a window at a time,
// and what a store puts past the span's end is overwritten by the elements
// that follow. Every store lands at or after `w`, so the bytes before it are
// final. A long span or run is cut at window starts, which changes nothing in
// the stream: literals are single bytes, and a run emits its 255-byte pairs
// as soon as they are full either way.
//
// One code path for both encoders: `onRun(length)` is told of the zero bytes
// of each run as they are coded.
template <typename OnRun>
void Encode(ByteView input, Bytes& out, OnRun onRun) {
  const std::uint8_t* in = input.data();
  const std::uint8_t* const inEnd = in + input.size();
  const std::size_t n = input.size();
  out.clear();
  out.reserve(CodedSizeBound(n));
  std::array<std::uint8_t, kStageRoom> stage;
  std::uint8_t* w = stage.data();
  bool literal = true;
  std::size_t start = 0;

  const auto putRun = [&](std::size_t length) {
    onRun(length);
    w = PutZeroRun(w, length);
  };
  // Called at a window start: closes what is final and makes room.
  const auto settle = [&](std::size_t at) {
    if (literal) {
      w += at - start;
      start = at;
    } else if (at - start >= kMaxRunCount) {
      putRun(kMaxRunCount);
      start += kMaxRunCount;
    }
    if (static_cast<std::size_t>(w - stage.data()) >= kStage) {
      out.insert(out.end(), stage.data(), w);
      w = stage.data();
    }
  };
  const auto endSegment = [&](std::size_t at) {
    if (literal) {
      w += at - start;
    } else {
      putRun(at - start);
      CopyUpToWindow(w, in + at, inEnd);  // the literal span that starts here
    }
    literal = !literal;
    start = at;
  };

  std::uint64_t lastWasZero = 0;
  std::size_t base = 0;
  for (; n - base >= kWindow; base += kWindow) {
    settle(base);
    const std::uint64_t zeros = ZeroMask(in + base);
    CopyWindow(w, in + base);  // inside a run: scratch, replaced by the pairs
    // Bit k is set where byte k begins a new segment.
    std::uint64_t boundaries = zeros ^ ((zeros << 1) | lastWasZero);
    lastWasZero = zeros >> (kWindow - 1);
    for (; boundaries != 0; boundaries &= boundaries - 1) {
      endSegment(base + static_cast<std::size_t>(std::countr_zero(boundaries)));
    }
  }
  // The last bytes, fewer than a window, one at a time.
  settle(base);
  if (base < n) {
    std::memcpy(w, in + base, n - base);
  }
  for (; base < n; ++base) {
    if ((in[base] == 0) == literal) {
      endSegment(base);
    }
  }
  if (literal) {
    w += n - start;
  } else {
    putRun(n - start);
  }
  out.insert(out.end(), stage.data(), w);
}

}  // namespace

void RLECompress2(ByteView txtDataIn, Bytes& txtDataOut, std::int32_t /*SizeX*/) {
  // The output is cleared before the input is read, so an input that views the
  // output's own bytes is copied first.
  const std::uint8_t* outBegin = txtDataOut.data();
  const std::uint8_t* outEnd = outBegin + txtDataOut.size();
  if (!txtDataIn.empty() && std::less_equal<>()(outBegin, txtDataIn.data()) &&
      std::less<>()(txtDataIn.data(), outEnd)) {
    const Bytes copy(txtDataIn.begin(), txtDataIn.end());
    Encode(copy, txtDataOut, [](std::size_t) {});
    return;
  }
  Encode(txtDataIn, txtDataOut, [](std::size_t) {});
}

void RLECompress(Bytes txtI, Bytes& txtO, std::int32_t /*SizeX*/, Yielder& host) {
  // This encoder yields once for every zero byte it counts.
  Encode(txtI, txtO, [&host](std::size_t zeros) {
    for (std::size_t k = 0; k < zeros; ++k) {
      host.Yield();
    }
  });
}

}  // namespace sprite::codec
