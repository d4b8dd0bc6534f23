#include "codec/rle_encoder.h"

#include <bit>
#include <cstring>
#include <functional>

namespace sprite::codec {
namespace {

constexpr std::size_t kMaxRunCount = 255;

// First non-zero byte in [p, end), or end. Zero runs are long in sprites, so
// they are skipped eight bytes at a time.
const std::uint8_t* SkipZeros(const std::uint8_t* p, const std::uint8_t* end) {
  while (end - p >= 16) {
    std::uint64_t a;
    std::uint64_t b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    if ((a | b) != 0) {
      if (a == 0) {
        p += 8;
        a = b;
      }
      const int bits =
          std::endian::native == std::endian::little ? std::countr_zero(a) : std::countl_zero(a);
      return p + bits / 8;
    }
    p += 16;
  }
  while (p < end && *p == 0) {
    ++p;
  }
  return p;
}

// The coded size never exceeds n + ceil(n / 2): a zero run of L bytes costs
// 2 * ceil(L / 255) <= L + 1 bytes, and runs are separated by at least one
// literal, so there are at most ceil(n / 2) of them.
std::size_t CodedSizeBound(std::size_t n) {
  return n + (n + 1) / 2;
}

// One code path for both encoders; `skipZeros` finds the end of the zero run
// that starts at its first argument.
template <typename ZeroScanner>
void Encode(ByteView in, Bytes& out, ZeroScanner skipZeros) {
  out.clear();
  out.resize(CodedSizeBound(in.size()));
  std::uint8_t* w = out.data();
  const std::uint8_t* p = in.data();
  const std::uint8_t* const end = p + in.size();
  while (p < end) {
    if (*p != 0) {
      const void* zero = std::memchr(p, 0, static_cast<std::size_t>(end - p));
      const std::uint8_t* spanEnd = zero != nullptr ? static_cast<const std::uint8_t*>(zero) : end;
      const auto length = static_cast<std::size_t>(spanEnd - p);
      std::memcpy(w, p, length);
      w += length;
      p = spanEnd;
      continue;
    }
    const std::uint8_t* runEnd = skipZeros(p, end);
    auto run = static_cast<std::size_t>(runEnd - p);
    for (; run >= kMaxRunCount; run -= kMaxRunCount) {
      *w++ = 0;
      *w++ = static_cast<std::uint8_t>(kMaxRunCount);
    }
    if (run != 0) {
      *w++ = 0;
      *w++ = static_cast<std::uint8_t>(run);
    }
    p = runEnd;
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
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
    Encode(copy, txtDataOut, SkipZeros);
    return;
  }
  Encode(txtDataIn, txtDataOut, SkipZeros);
}

void RLECompress(Bytes txtI, Bytes& txtO, std::int32_t /*SizeX*/, Yielder& host) {
  Encode(txtI, txtO, [&host](const std::uint8_t* p, const std::uint8_t* end) {
    for (; p < end && *p == 0; ++p) {
      host.Yield();
    }
    return p;
  });
}

}  // namespace sprite::codec
