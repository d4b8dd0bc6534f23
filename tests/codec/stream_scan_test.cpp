// The scan that sizes the row decoder's area and counts its progress, against
// a plain element walk.

#include "codec/stream_scan.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "codec/byte_window.h"
#include "codec/codec_test_support.h"
#include "codec/percent_progress.h"
#include "codec/rle_encoder.h"
#include "codec/rounded_percent.h"

namespace sprite::codec {
namespace {

struct PlainScan {
  std::size_t decoded = 0;
  bool complete = true;
};

PlainScan PlainWalk(ByteView coded) {
  PlainScan scan;
  for (std::size_t i = 0; i < coded.size(); ++i) {
    if (coded[i] != 0) {
      ++scan.decoded;
    } else if (i + 1 == coded.size()) {
      scan.complete = false;
    } else {
      scan.decoded += coded[++i];
    }
  }
  return scan;
}

// Encoder output, the same with counts of 0 and a lone zero put in, and any
// bytes; lengths around the window steps among them.
std::vector<Bytes> Streams() {
  std::mt19937 rng(8128);
  std::vector<Bytes> streams;
  for (int round = 0; round < 300; ++round) {
    const std::size_t length = round < 200
                                   ? static_cast<std::size_t>(round)
                                   : std::uniform_int_distribution<std::size_t>(0, 9000)(rng);
    const int zeroPercent = std::uniform_int_distribution<int>(0, 60)(rng);
    streams.push_back(RandomBytes(rng, length, zeroPercent));
    Bytes coded;
    RLECompress2(RandomPixels(rng, length * 3), coded, 1);
    streams.push_back(coded);
    const std::size_t at = coded.size() / 3 & ~std::size_t{1};
    coded.insert(coded.begin() + static_cast<std::ptrdiff_t>(at), {0x00, 0x00, 0x00, 0x00});
    coded.push_back(0x00);
    streams.push_back(coded);
  }
  return streams;
}

TEST(ScanStream, MeasuresWhatThePlainWalkDecodes) {
  for (const Bytes& coded : Streams()) {
    const PlainScan expected = PlainWalk(coded);
    const StreamScan scan = ScanStream(coded);
    ASSERT_EQ(scan.decoded, expected.decoded) << coded.size() << "-byte stream";
    ASSERT_EQ(scan.complete, expected.complete) << coded.size() << "-byte stream";
    ASSERT_EQ(scan.zeroMasks.size(), coded.size() / kWindow);
    for (std::size_t k = 0; k < scan.zeroMasks.size(); ++k) {
      ASSERT_EQ(scan.zeroMasks[k], ZeroMask(coded.data() + k * kWindow)) << "window " << k;
    }
  }
}

TEST(PercentProgress, MarksTheLastPositionOfEachPercentage) {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 2000; ++n) {
    lengths.push_back(n);
  }
  for (const std::size_t n : {6399u, 6400u, 6401u, 12959u, 32767u, 1000000u, 2147483646u}) {
    lengths.push_back(n);
  }
  for (const std::size_t n : lengths) {
    const PercentProgress progress(n);
    const auto marks = progress.Marks();
    ASSERT_EQ(marks.size(), 102u);
    for (std::int32_t percent = 0; percent <= 100 && n > 0; ++percent) {
      ASSERT_EQ(
          marks[static_cast<std::size_t>(percent)],
          static_cast<std::size_t>(LastPositionAtPercent(percent, static_cast<std::int64_t>(n))))
          << n << " bytes, " << percent << "%";
    }
    ASSERT_EQ(marks[101], std::numeric_limits<std::size_t>::max());
  }
}

}  // namespace
}  // namespace sprite::codec
