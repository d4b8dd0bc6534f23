#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <stdexcept>

#include "codec/rle_decoder.h"
#include "common/byte_io.h"
#include "common/bytes.h"

namespace sprite::formats {

inline Bytes B(std::initializer_list<int> values) {
  return Bytes(values.begin(), values.end());
}

inline Bytes Concat(std::initializer_list<ByteView> parts) {
  Bytes out;
  for (ByteView part : parts) {
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

// A palette whose every byte differs from its neighbours, so a swap or an offset
// error shows.
inline Bytes PatternPalette(std::size_t seed = 0) {
  Bytes palette(1024);
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = static_cast<std::uint8_t>(i * 7 + seed);
  }
  return palette;
}

// Progress and yields of the row decoder go nowhere.
class QuietHost : public codec::RowsHost {
 public:
  void Yield() override {}
  void ElementsDecoded(std::int32_t, std::int64_t) override {}
  void RowsPlaced(std::span<const std::int32_t>) override {}
};

// A source that fails the test, rather than throwing a format error, when a
// reader asks for bytes outside the file.
class StrictSource : public ByteSource {
 public:
  explicit StrictSource(ByteView bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset) {
      ADD_FAILURE() << "read of " << out.size() << " bytes at " << offset << " outside "
                    << bytes_.size() << " bytes";
      throw std::logic_error("read outside the file");
    }
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
  }

 private:
  ByteView bytes_;
};

}  // namespace sprite::formats
