#pragma once

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codec/byte_window.h"
#include "codec/stream_scan.h"
#include "common/bytes.h"

namespace sprite::codec {

// Where the next decoded byte goes, and how many bytes go on from there
// before a boundary (a row end) where the sink says where they go next.
struct OutputPlace {
  std::uint8_t* dst;
  std::size_t left;
};

// Where the decoded bytes go. The walk keeps the place in locals, so byte
// stores cannot make the compiler reload it.
template <typename Sink>
concept ElementSink = requires(Sink sink, OutputPlace at, std::size_t run) {
  // The first place.
  { sink.Begin() } -> std::same_as<OutputPlace>;
  // The place after the boundary `at` has reached (at.left is 0).
  { sink.Next(at) } -> std::same_as<OutputPlace>;
  // The place `run` bytes on from `at`, past as many boundaries as it takes;
  // nothing is stored.
  { sink.Skip(at, run) } -> std::same_as<OutputPlace>;
  // The walk ended at `at`.
  sink.End(at);
};

namespace walk {

// Copies `count` bytes and nothing more, where the source has a window to
// read: in stores of 16 bytes while they fit, then one that ends with the
// last byte.
inline void CopyShort(std::uint8_t* dst, const std::uint8_t* src, std::size_t count) {
  if (count >= 16) {
    std::size_t k = 0;
    for (; k + 16 < count; k += 16) {
      std::memcpy(dst + k, src + k, 16);
    }
    std::memcpy(dst + count - 16, src + count - 16, 16);
  } else if (count >= 4) {
    std::uint32_t head = 0;
    std::uint32_t tail = 0;
    std::memcpy(&head, src, 4);
    std::memcpy(&tail, src + count - 4, 4);
    if (count >= 8) {
      std::memcpy(dst + 4, src + 4, 4);
      std::memcpy(dst + count - 8, src + count - 8, 4);
    }
    std::memcpy(dst, &head, 4);
    std::memcpy(dst + count - 4, &tail, 4);
  } else {
    for (std::size_t k = 0; k < count; ++k) {
      dst[k] = src[k];
    }
  }
}

// Puts a literal span of `count` bytes at `dst` in window stores: whole
// windows while more than a window is left, then one that ends the span with
// zeros (PutWindow). Both sides must have a window past the span's end.
inline void PutSpan(std::uint8_t* dst, const std::uint8_t* src, std::size_t count) {
  for (; count > kWindow; count -= kWindow, dst += kWindow, src += kWindow) {
    CopyWindow(dst, src);
  }
  PutWindow(dst, src, count);
}

// Puts `count` literal bytes from `src` at `at`, exactly, and returns the
// place after them.
template <ElementSink Sink>
OutputPlace PutLiterals(Sink& sink, OutputPlace at, const std::uint8_t* src, std::size_t count) {
  while (count >= at.left) {
    std::memcpy(at.dst, src, at.left);
    src += at.left;
    count -= at.left;
    at = sink.Next({at.dst + at.left, 0});
  }
  if (count != 0) {  // an empty stream has no bytes at all: src may be null
    std::memcpy(at.dst, src, count);
  }
  return {at.dst + count, at.left - count};
}

}  // namespace walk

// Decodes the elements of a complete coded stream (literal bytes 01..FF, and
// zero runs 00 n) whose run markers `scan` has found: each literal span and
// the run after it in one step. The output must start zero-filled: runs only
// move the place.
//
// A span with a window of room after it before the next boundary, and a
// window of input after it, is put in window stores (PutSpan) whose last one
// ends with zeros, so past the place the output stays as it started; a short
// span nearer a boundary is copied exactly in a few stores, and any other
// (across a boundary, or at the end of the input) by PutLiterals. So nothing
// is ever stored past a boundary.
template <ElementSink Sink>
void WalkElements(ByteView coded, const StreamScan& scan, Sink& sink) {
  const std::uint8_t* in = coded.data();
  const std::size_t n = coded.size();
  OutputPlace at = sink.Begin();
  std::size_t start = 0;  // first byte of the open literal span
  MarkerCursor cursor(scan.markers);
  const std::size_t markers = scan.count;
  for (std::size_t k = 0; k < markers; ++k) {
    const std::size_t marker = cursor.Next();
    const std::size_t span = marker - start;
    const std::size_t run = in[marker + 1];
    // One branch for both tests, which hold for most spans.
    if ((span + kWindow <= at.left) & (marker + kWindow <= n)) {
      walk::PutSpan(at.dst, in + start, span);
      at.dst += span;
      at.left -= span;
    } else if ((span < at.left) & (start + kWindow <= n) & (span <= kWindow)) {
      // Near a boundary: no scratch may pass it.
      walk::CopyShort(at.dst, in + start, span);
      at.dst += span;
      at.left -= span;
    } else {
      at = walk::PutLiterals(sink, at, in + start, span);
    }
    at = sink.Skip(at, run);
    start = marker + 2;
  }
  sink.End(walk::PutLiterals(sink, at, in + start, n - start));
}

}  // namespace sprite::codec
