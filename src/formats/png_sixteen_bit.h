// Pictures of 16-bit samples brought to the 8 bits an archive keeps: each
// sample rounded to the nearest 8-bit value, so that the see-through rule
// holds as for an 8-bit picture (alpha rounding to 0 is see-through, to 255
// opaque, anything else partial), and colours that become one counted.
#pragma once

#include <cstdint>
#include <vector>

#include "common/bytes.h"

struct spng_ctx;

namespace sprite::formats {

// The 8-bit sample nearest to a 16-bit one: of 0 to 255, the nearest to
// sample × 255 / 65535 (no sample lies halfway).
constexpr std::uint8_t RoundedTo8Bits(std::uint16_t sample) {
  return static_cast<std::uint8_t>((std::uint32_t{sample} + 128) / 257);
}

// Counts the 8-bit colours that stand for more than one 16-bit colour among
// the pixels that are not see-through. It remembers the first 16-bit colour
// of up to kTracked 8-bit colours; past those the count is a lower bound.
class MergedColours {
 public:
  static constexpr std::size_t kTracked = 1u << 16;

  MergedColours();
  // One pixel: its 16-bit red, green and blue, and the 8-bit colour they round to.
  void Add(std::uint64_t rgb16, std::uint32_t rgb8);
  std::uint64_t Count() const { return count_; }
  bool Complete() const { return complete_; }

 private:
  static constexpr std::size_t kSlots = 2 * kTracked;
  static constexpr std::uint64_t kMerged = std::uint64_t{1} << 63;
  // An 8-bit colour plus 1 (0 for an empty slot), and its first 16-bit colour
  // with kMerged once another has met it.
  std::vector<std::uint32_t> keys_;
  std::vector<std::uint64_t> firsts_;
  std::size_t tracked_ = 0;
  std::uint64_t count_ = 0;
  bool complete_ = true;
};

// Decodes the image data of `ctx`, a picture of 16-bit samples of `width` ×
// `height` (interlaced or not), as RGBA16 a row at a time, each row rounded
// into `rgba8` (4 × width × height bytes) and its colours given to `merged`.
// A tRNS colour key is matched at 16 bits. Returns libspng's error code, 0 for
// none.
int DecodeRoundedTo8Bits(spng_ctx* ctx, std::uint32_t width, std::uint32_t height, bool interlaced,
                         Bytes& rgba8, MergedColours& merged);

}  // namespace sprite::formats
