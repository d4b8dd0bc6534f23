// The scan that sizes the decoders' output and finds their run markers,
// against a plain element walk.

#include "codec/stream_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/byte_window.h"
#include "codec/codec_test_support.h"
#include "codec/rle_encoder.h"

namespace sprite::codec {
namespace {

struct PlainScan {
  std::size_t decoded = 0;
  bool complete = true;
  std::vector<std::size_t> markers;  // positions of the run markers
};

PlainScan PlainWalk(ByteView coded) {
  PlainScan scan;
  for (std::size_t i = 0; i < coded.size(); ++i) {
    if (coded[i] != 0) {
      ++scan.decoded;
      continue;
    }
    scan.markers.push_back(i);
    if (i + 1 == coded.size()) {
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

TEST(ScanStream, MeasuresAndFindsTheMarkersThePlainWalkDoes) {
  for (const Bytes& coded : Streams()) {
    SCOPED_TRACE(std::to_string(coded.size()) + "-byte stream");
    const PlainScan expected = PlainWalk(coded);
    const StreamScan scan = ScanStream(coded);
    ASSERT_EQ(scan.decoded, expected.decoded);
    ASSERT_EQ(scan.complete, expected.complete);
    std::vector<std::size_t> markers;
    for (std::size_t w = 0; w < scan.markers.size(); ++w) {
      for (std::size_t k = 0; k < kWindow; ++k) {
        if ((scan.markers[w] >> k & 1) != 0) {
          markers.push_back(w * kWindow + k);
        }
      }
    }
    ASSERT_EQ(markers, expected.markers);
    // Counted before every position, the end included.
    std::size_t before = 0;
    for (std::size_t position = 0; position <= coded.size(); ++position) {
      while (before < markers.size() && markers[before] < position) {
        ++before;
      }
      ASSERT_EQ(scan.MarkersBefore<BitCount::kPortable>(position), before) << "at " << position;
      ASSERT_EQ(scan.MarkersBefore<BitCount::kInstruction>(position), before) << "at " << position;
    }
  }
}

}  // namespace
}  // namespace sprite::codec
