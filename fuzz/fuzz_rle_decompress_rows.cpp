// RLEDecompressRows with the width taken from the first two bytes (any 16-bit
// value, 0 and negatives included) and the rest as the coded stream; the area
// and the host calls are checked against a plain decode.

#include <cstdint>
#include <cstdlib>

#include "codec/rle_decoder.h"
#include "common/error.h"

namespace {

using sprite::Bytes;
using sprite::ByteView;

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// Checks the order and range of the calls as they come.
class CheckingHost : public sprite::codec::RowsHost {
 public:
  void Yield() override { ++rowYields; }
  void ElementsDecoded(std::int32_t percent, std::int64_t count) override {
    Check(rowYields == 0 && rowReports == 0);
    Check(count > 0 && percent >= lastElementPercent && percent <= 100);
    lastElementPercent = percent;
    elements += count;
  }
  void RowsPlaced(std::span<const std::int32_t> percents) override {
    Check(!percents.empty());
    for (const std::int32_t percent : percents) {
      Check(percent >= lastRowPercent && percent <= 100);
      lastRowPercent = percent;
      ++rowYields;
      ++rowReports;
    }
  }

  std::int64_t elements = 0;
  std::int64_t rowYields = 0;
  std::int64_t rowReports = 0;
  std::int32_t lastElementPercent = 0;
  std::int32_t lastRowPercent = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const auto width = static_cast<std::int16_t>(data[0] | data[1] << 8);
  const ByteView coded(data + 2, size - 2);

  // Plain decode: the rows, the number of elements, and whether a lone zero ends it.
  Bytes rows;
  std::int64_t elements = 0;
  bool complete = true;
  for (std::size_t i = 0; i < coded.size(); ++i, ++elements) {
    if (coded[i] != 0) {
      rows.push_back(coded[i]);
    } else if (i + 1 == coded.size()) {
      complete = false;
    } else {
      rows.insert(rows.end(), coded[++i], 0);
    }
  }
  if (!complete) {
    --elements;
  }

  CheckingHost host;
  try {
    const Bytes area = sprite::codec::RLEDecompressRows(coded, width, host);
    Check(width > 0 && complete);
    Check(host.elements == elements);
    Check(coded.empty() || host.lastElementPercent == 100);
    // Rows in reverse order, each followed by its alignment bytes.
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t pad = (4 - w % 4) % 4;
    const std::size_t count = (rows.size() + w - 1) / w;
    Check(host.rowReports == static_cast<std::int64_t>(count) && host.rowYields == host.rowReports);
    Check(area.size() == rows.size() + count * pad);
    std::size_t at = 0;
    for (std::size_t r = count; r-- > 0;) {
      const std::size_t length = std::min(w, rows.size() - r * w);
      for (std::size_t k = 0; k < length; ++k) {
        Check(area[at++] == rows[r * w + k]);
      }
      for (std::size_t k = 0; k < pad; ++k) {
        Check(area[at++] == 0);
      }
    }
  } catch (const sprite::FaultError&) {
    if (width <= 0) {
      Check(host.elements == 0 && host.rowYields == 0);
    } else {
      Check(!complete && host.elements == elements && host.rowYields == 0);
    }
  }
  return 0;
}
