// The limits of an archive entry and of an archive's entry count, and the one
// check of whether a picture fits an entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "codec/rle_decoder.h"
#include "common/fault.h"

namespace sprite::formats {

// The entry count, and each entry's width, height and coded length, are 16-bit
// signed fields.
inline constexpr std::int32_t kMinField = -32768;
inline constexpr std::int32_t kMaxField = 32767;
// An archive holds as many entries as its count field can say.
inline constexpr std::int32_t kMaxEntries = kMaxField;
// The longest coded stream the Encode command stores: it verifies every stream
// with the 16-bit decoder, which takes one byte less than the length field holds.
inline constexpr std::size_t kMaxStoredStream = codec::kMaxVerifiedStream;
// The largest pixel area that can still code within that: zero runs code 255
// bytes into 2, and a width of 1 carries 3 alignment bytes per pixel.
inline constexpr std::uint64_t kMaxCodablePixelArea = 4ULL * (kMaxStoredStream / 2) * 255;

constexpr bool FitsField(std::int64_t value) {
  return value >= kMinField && value <= kMaxField;
}

// A picture on its way into an entry, as far as it is known: the size of its
// pixel area, its width and height come from its headers and the file's size
// before any pixel is read; the length of its coded stream once it is coded.
struct EntryCandidate {
  std::uint64_t pixelAreaSize = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::optional<std::size_t> codedSize;  // empty until the rows are coded
};

// The first limit the candidate passes, as a fault: its pixel area
// (kPixelAreaTooLarge), then its width and height (kSizeTooLarge), then its
// coded stream when known (kCodesTooLong). Nothing when it fits.
std::optional<Fault> CheckEntryFits(const EntryCandidate& picture);

}  // namespace sprite::formats
