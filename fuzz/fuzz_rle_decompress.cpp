// RLEDecompress on any bytes, checked against a plain element walk; and the
// same bytes as pixels through RLECompress2 and back.

#include <cstdint>
#include <cstdlib>

#include "codec/rle_decoder.h"
#include "codec/rle_encoder.h"
#include "common/error.h"

namespace {

using sprite::Bytes;
using sprite::ByteView;

// Decoded bytes, or false for a lone trailing zero.
bool PlainDecode(ByteView coded, Bytes& out) {
  for (std::size_t i = 0; i < coded.size(); ++i) {
    if (coded[i] != 0) {
      out.push_back(coded[i]);
    } else if (i + 1 == coded.size()) {
      return false;
    } else {
      out.insert(out.end(), coded[++i], 0);
    }
  }
  return true;
}

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView input(data, size);

  Bytes expected;
  const bool complete = PlainDecode(input, expected);
  try {
    const Bytes decoded = sprite::codec::RLEDecompress(input);
    Check(size <= static_cast<std::size_t>(sprite::codec::kMaxVerifiedStream) && complete);
    Check(decoded == expected);
  } catch (const sprite::OverflowError&) {
    Check(size > static_cast<std::size_t>(sprite::codec::kMaxVerifiedStream));
  } catch (const sprite::FaultError&) {
    Check(size <= static_cast<std::size_t>(sprite::codec::kMaxVerifiedStream) && !complete);
  }

  Bytes coded;
  sprite::codec::RLECompress2(input, coded, 1);
  Check(coded.size() <= size + (size + 1) / 2);
  Bytes roundTrip;
  Check(PlainDecode(coded, roundTrip) && roundTrip == Bytes(input.begin(), input.end()));
  if (coded.size() <= static_cast<std::size_t>(sprite::codec::kMaxVerifiedStream)) {
    Check(sprite::codec::RLEDecompress(coded) == roundTrip);
  }
  return 0;
}
