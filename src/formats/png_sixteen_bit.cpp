#include "formats/png_sixteen_bit.h"

#include <spng.h>

namespace sprite::formats {

namespace {

// Adam7: where each pass's pixels start across a row, and how far apart they are.
constexpr std::uint32_t kPassStart[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr std::uint32_t kPassStep[7] = {8, 8, 4, 4, 2, 2, 1};

}  // namespace

MergedColours::MergedColours() : keys_(kSlots, 0), firsts_(kSlots, 0) {}

void MergedColours::Add(std::uint64_t rgb16, std::uint32_t rgb8) {
  std::size_t slot = (rgb8 * 2654435761u) % kSlots;
  while (keys_[slot] != 0 && keys_[slot] != rgb8 + 1) {
    slot = (slot + 1) % kSlots;
  }
  if (keys_[slot] == 0) {
    if (tracked_ == kTracked) {
      complete_ = false;
      return;
    }
    ++tracked_;
    keys_[slot] = rgb8 + 1;
    firsts_[slot] = rgb16;
  } else if ((firsts_[slot] & ~kMerged) != rgb16 && (firsts_[slot] & kMerged) == 0) {
    firsts_[slot] |= kMerged;
    ++count_;
  }
}

int DecodeRoundedTo8Bits(spng_ctx* ctx, std::uint32_t width, std::uint32_t height, bool interlaced,
                         Bytes& rgba8, MergedColours& merged) {
  rgba8.assign(4 * std::size_t{width} * height, 0);
  std::vector<std::uint16_t> row(4 * std::size_t{width});
  if (const int code = spng_decode_image(ctx, nullptr, 0, SPNG_FMT_RGBA16,
                                         SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE)) {
    return code;
  }
  // The previous pixel's colour, so that a run of one colour is looked up once.
  std::uint64_t last = ~std::uint64_t{0};
  int code = 0;
  do {
    spng_row_info info{};
    if ((code = spng_get_row_info(ctx, &info)) != 0) {
      break;
    }
    code = spng_decode_row(ctx, row.data(), row.size() * sizeof(std::uint16_t));
    if (code != 0 && code != SPNG_EOI) {
      break;
    }
    // An interlaced pass fills only its own pixels of the row.
    const auto pass = static_cast<std::size_t>(interlaced ? info.pass : 6);
    std::uint8_t* out = rgba8.data() + 4 * std::size_t{info.row_num} * width;
    for (std::uint32_t x = kPassStart[pass]; x < width; x += kPassStep[pass]) {
      const std::uint16_t* in = row.data() + 4 * std::size_t{x};
      std::uint8_t* pixel = out + 4 * std::size_t{x};
      for (int i = 0; i < 4; ++i) {
        pixel[i] = RoundedTo8Bits(in[i]);
      }
      const std::uint64_t rgb16 = std::uint64_t{in[0]} << 32 | std::uint64_t{in[1]} << 16 | in[2];
      if (pixel[3] != 0 && rgb16 != last) {
        last = rgb16;
        merged.Add(rgb16, std::uint32_t{pixel[0]} << 16 | std::uint32_t{pixel[1]} << 8 | pixel[2]);
      }
    }
  } while (code == 0);
  return code == SPNG_EOI ? 0 : code;
}

}  // namespace sprite::formats
