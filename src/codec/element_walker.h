#pragma once

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>

#include "codec/byte_window.h"
#include "common/bytes.h"

namespace sprite::codec {

// Where the next decoded byte goes, and how many bytes may go on from there
// before the sink has to be asked where they go.
struct OutputPlace {
  std::uint8_t* dst;
  std::size_t left;
};

// Where the decoded bytes go: the walk starts at the sink's first place and
// asks it again whenever `left` runs out. The walk keeps the place in locals,
// so byte stores cannot make the compiler reload it.
template <typename Sink>
concept ElementSink = requires(Sink sink, OutputPlace at, const std::uint8_t* src,
                               std::size_t count, std::size_t next) {
  // The first place.
  { sink.Begin() } -> std::same_as<OutputPlace>;
  // `count` (>= at.left) bytes are in place from at.dst on: zeros, or a byte
  // just written. The walk is at stream index `next`.
  { sink.Move(at, count, next) } -> std::same_as<OutputPlace>;
  // `count` (>= at.left, at most 64) literal bytes from src, whose window was
  // stored at at.dst.
  { sink.MoveLiteral(at, src, count) } -> std::same_as<OutputPlace>;
  // The walk ended at `at`.
  sink.End(at);
};

// Decodes the elements of a coded stream (literal bytes 01..FF, and zero runs
// 00 n) a window at a time. In a window where no two zero bytes are adjacent,
// every zero byte is a run marker and the byte after it its count; a window
// with adjacent zeros (a count of 0, which the encoder never writes) is walked
// one element at a time, and so are the last bytes, where a window read would
// pass the end of the stream.
//
// Literal spans are window stores (byte_window.h); the run that follows a
// span zeroes the 64 bytes of scratch after it, and past them the output is
// still as zero-filled, so a run writes no more. So the output must start
// zero-filled, with room for a window store at any place.
//
// `zeroMasks` holds the ZeroMask of every whole window, or is empty. Returns
// the stream index where decoding stopped: the stream length, or the index of
// a lone zero-run marker at the end.
template <ElementSink Sink>
std::size_t WalkElements(ByteView coded, std::span<const std::uint64_t> zeroMasks, Sink& sink) {
  const std::uint8_t* in = coded.data();
  const std::size_t n = coded.size();
  OutputPlace at = sink.Begin();
  std::size_t start = 0;  // first byte of the open literal span
  const auto move = [&](std::size_t count) {
    if (count < at.left) {
      at.dst += count;
      at.left -= count;
    } else {
      at = sink.Move(at, count, start);
    }
  };
  const auto moveLiteral = [&](const std::uint8_t* src, std::size_t count) {
    if (count < at.left) {
      at.dst += count;
      at.left -= count;
    } else {
      at = sink.MoveLiteral(at, src, count);
    }
  };
  const auto putByte = [&](std::uint8_t b) {
    *at.dst = b;
    move(1);
  };
  const auto putRun = [&](std::uint8_t count) {
    ZeroWindow(at.dst);
    move(count);
  };

  std::size_t base = 0;
  // A span starts at most at a window's 66th byte, and its store reads 64
  // bytes from there.
  for (; n - base >= 2 * kWindow + 1; base += kWindow) {
    const std::size_t windowEnd = base + kWindow;
    // `start` is base, or base + 1 after a marker that ended the last window.
    std::uint64_t zeros = zeroMasks.empty() ? ZeroMask(in + base) : zeroMasks[base / kWindow];
    zeros &= ~std::uint64_t{0} << (start - base);
    if ((zeros & (zeros << 1)) != 0) {
      while (start < windowEnd) {
        if (in[start] != 0) {
          putByte(in[start]);
          ++start;
        } else {
          putRun(in[start + 1]);
          start += 2;
        }
      }
      continue;
    }
    CopyWindow(at.dst, in + start);
    for (; zeros != 0; zeros &= zeros - 1) {
      const std::size_t marker = base + static_cast<std::size_t>(std::countr_zero(zeros));
      moveLiteral(in + start, marker - start);
      putRun(in[marker + 1]);
      start = marker + 2;
      CopyWindow(at.dst, in + start);
    }
    if (start < windowEnd) {
      moveLiteral(in + start, windowEnd - start);
      start = windowEnd;
    }
  }
  while (start < n) {
    if (in[start] != 0) {
      putByte(in[start]);
      ++start;
    } else if (start + 1 < n) {
      putRun(in[start + 1]);
      start += 2;
    } else {
      break;
    }
  }
  sink.End(at);
  return start;
}

}  // namespace sprite::codec
