// StripRowAlignment and AddRowAlignment on any bytes, with the width taken
// from the first two bytes, checked against plain slicing.

#include <cstdint>
#include <cstdlib>

#include "codec/row_alignment.h"
#include "common/error.h"

namespace {

using sprite::Bytes;
using sprite::ByteView;

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const std::int32_t width = static_cast<std::int16_t>(data[0] | data[1] << 8);
  const ByteView bytes(data + 2, size - 2);
  Bytes stripped;
  try {
    stripped = sprite::codec::StripRowAlignment(bytes, width);
  } catch (const sprite::FaultError&) {
    Check(width <= 0);
    return 0;
  }
  Check(width > 0);
  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t stride = w + static_cast<std::size_t>(sprite::codec::RowPadding(width));
  Check(stride % 4 == 0);

  // Slices of `w` bytes every `stride` bytes, the last slice first.
  Bytes expected;
  for (std::size_t start = 0; start < bytes.size(); start += stride) {
    const std::size_t length = std::min(w, bytes.size() - start);
    expected.insert(expected.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(start),
                    bytes.begin() + static_cast<std::ptrdiff_t>(start + length));
  }
  Check(stripped == expected);

  // Adding the alignment gives back an area of whole rows with zero padding.
  const Bytes rebuilt = sprite::codec::AddRowAlignment(stripped, width);
  bool wholeRows = bytes.size() % stride == 0;
  for (std::size_t k = 0; wholeRows && k < bytes.size(); ++k) {
    wholeRows = k % stride < w || bytes[k] == 0;
  }
  if (wholeRows) {
    Check(rebuilt == Bytes(bytes.begin(), bytes.end()));
  }
  // Rows of full width survive adding and stripping the alignment.
  if (bytes.size() % w == 0) {
    Check(sprite::codec::StripRowAlignment(sprite::codec::AddRowAlignment(bytes, width), width) ==
          Bytes(bytes.begin(), bytes.end()));
  }
  return 0;
}
