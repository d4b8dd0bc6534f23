#include "codec/palette_swap.h"

#include <string>

#include "common/error.h"

namespace sprite::codec {

Bytes SwapRedBlue(ByteView palette) {
  const std::size_t n = palette.size();
  if (n > kMaxSwapInput) {
    throw OverflowError("palette of " + std::to_string(n) + " bytes is too long: at most " +
                        std::to_string(kMaxSwapInput) + " bytes can be converted");
  }
  const std::size_t fullGroups = n / 4;
  const std::size_t tail = n % 4;
  Bytes out(fullGroups * 4 + (tail != 0 ? tail + 1 : 0));
  const std::uint8_t* in = palette.data();
  std::uint8_t* w = out.data();
  for (std::size_t g = 0; g < fullGroups; ++g, in += 4, w += 4) {
    w[0] = in[2];
    w[1] = in[1];
    w[2] = in[0];
    w[3] = 0;
  }
  // An incomplete last group gives the bytes it has, highest position first,
  // then the zero byte.
  if (tail != 0) {
    for (std::size_t k = tail; k > 0; --k) {
      *w++ = in[k - 1];
    }
    *w = 0;
  }
  return out;
}

}  // namespace sprite::codec
