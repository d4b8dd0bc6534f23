// The fast codec against the step-by-step transcriptions in codec_oracle.cpp,
// over many random inputs with fixed seeds: same bytes, same error, and for the
// row decoder the same host calls in the same order.

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "codec/codec_oracle.h"
#include "codec/codec_test_support.h"
#include "codec/palette_swap.h"
#include "codec/recording_rows_host.h"
#include "codec/rle_decoder.h"
#include "codec/rle_encoder.h"
#include "codec/row_alignment.h"
#include "common/error.h"

namespace sprite::codec {
namespace {

// What an operation gave: its bytes, or which error it threw.
struct Outcome {
  Bytes bytes;
  std::string error;

  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* os) {
  if (!outcome.error.empty()) {
    *os << outcome.error;
  } else {
    *os << outcome.bytes.size() << " bytes";
  }
}

// Where two recorded call sequences part, in words.
std::string FirstDifference(const std::vector<HostCall>& a, const std::vector<HostCall>& b) {
  std::size_t k = 0;
  while (k < a.size() && k < b.size() && a[k] == b[k]) {
    ++k;
  }
  if (k == a.size() && k == b.size()) {
    return "";
  }
  std::ostringstream text;
  text << "calls differ at " << k << " of " << a.size() << " / " << b.size() << ": ";
  if (k < a.size()) {
    text << a[k];
  }
  text << " vs ";
  if (k < b.size()) {
    text << b[k];
  }
  return text.str();
}

Outcome Capture(const std::function<Bytes()>& operation) {
  try {
    return {operation(), ""};
  } catch (const OverflowError&) {
    return {{}, "OverflowError"};
  } catch (const FaultError& error) {
    return {{}, "FaultError " + std::to_string(static_cast<int>(error.Kind()))};
  }
}

// Lengths from 0 to about 70000, most of them short, the 16-bit edges among them.
std::size_t RandomLength(std::mt19937& rng) {
  static constexpr std::size_t kEdges[] = {0, 1, 2, 255, 256, 32764, 32765, 32766, 32767, 65536};
  const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
  if (kind == 0) {
    return kEdges[std::uniform_int_distribution<std::size_t>(0, 9)(rng)];
  }
  if (kind < 6) {
    return std::uniform_int_distribution<std::size_t>(0, 600)(rng);
  }
  if (kind < 9) {
    return std::uniform_int_distribution<std::size_t>(600, 20000)(rng);
  }
  return std::uniform_int_distribution<std::size_t>(20000, 70000)(rng);
}

// Coded streams of every kind: encoder output, the same with counts of 0 and a
// lone trailing zero mixed in, and arbitrary bytes.
Bytes RandomStream(std::mt19937& rng, std::size_t maxLength) {
  const int kind = std::uniform_int_distribution<int>(0, 3)(rng);
  if (kind == 3) {
    const int zeroPercent = std::uniform_int_distribution<int>(0, 60)(rng);
    return RandomBytes(rng, std::min<std::size_t>(RandomLength(rng), maxLength), zeroPercent);
  }
  Bytes coded;
  RLECompress2(RandomPixels(rng, RandomLength(rng)), coded, 1);
  if (coded.size() > maxLength) {
    coded.resize(maxLength);
    if (!coded.empty() && coded.size() % 2 == 1 && coded.back() != 0) {
      coded.back() = 1;
    }
  }
  if (kind == 1) {
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, coded.size())(rng);
    if (at == coded.size() || coded[at] != 0) {
      coded.insert(coded.begin() + static_cast<std::ptrdiff_t>(at), {0x00, 0x00});
    }
  }
  if (kind == 2) {
    coded.push_back(0x00);
  }
  return coded;
}

TEST(CodecDifferential, EncodersMatchTheTranscription) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 400; ++round) {
    const Bytes pixels = round % 5 == 4 ? RandomBytes(rng, RandomLength(rng), 30)
                                        : RandomPixels(rng, RandomLength(rng));
    const Bytes expected = oracle::Compress2(pixels);
    Bytes coded;
    RLECompress2(pixels, coded, static_cast<std::int32_t>(round));
    ASSERT_EQ(coded, expected) << "round " << round << ", " << pixels.size() << " pixels";
    if (round % 10 == 0) {
      struct : Yielder {
        void Yield() override {}
      } host;
      Bytes other;
      RLECompress(pixels, other, 0, host);
      ASSERT_EQ(other, expected) << "round " << round;
    }
  }
}

// Runs and spans of every length around the 64-byte steps in which the input
// is scanned and the 255-byte run limit, starting at every offset of a step.
std::vector<Bytes> WindowEdgeInputs() {
  static constexpr std::size_t kRuns[] = {1,   2,   63,  64,  65,  127, 128,
                                          129, 254, 255, 256, 319, 320, 511};
  std::vector<Bytes> inputs;
  for (std::size_t offset = 0; offset <= 66; ++offset) {
    for (const std::size_t run : kRuns) {
      Bytes lead(offset, 0x41);
      inputs.push_back(Concat({lead, Zeros(run), Hex("07 08")}));
      inputs.push_back(Concat({Zeros(offset), Bytes(run, 0x42), Zeros(3)}));
      inputs.push_back(Concat({lead, Zeros(run), Bytes(run % 70 + 1, 0x43), Zeros(run)}));
    }
  }
  return inputs;
}

TEST(CodecDifferential, CodecsMatchTheTranscriptionAtWindowEdges) {
  for (const Bytes& pixels : WindowEdgeInputs()) {
    Bytes coded;
    RLECompress2(pixels, coded, 1);
    ASSERT_EQ(coded, oracle::Compress2(pixels)) << pixels.size() << " pixels";
    ASSERT_EQ(RLEDecompress(coded), pixels);
    // Counts of 0 put a zero byte right after a marker, so the decoders walk
    // such stretches one element at a time.
    Bytes withEmptyRuns = coded;
    withEmptyRuns.insert(
        withEmptyRuns.begin() + static_cast<std::ptrdiff_t>(coded.size() / 2 & ~std::size_t{1}),
        {0x00, 0x00, 0x00, 0x00});
    RecordingRowsHost fastHost;
    RecordingRowsHost oracleHost;
    ASSERT_EQ(Capture([&] { return RLEDecompressRows(withEmptyRuns, 7, fastHost); }),
              Capture([&] { return oracle::DecompressRows(withEmptyRuns, 7, oracleHost); }));
    ASSERT_EQ(FirstDifference(fastHost.calls, oracleHost.calls), "");
  }
}

// Streams of every length up to 300: their percentages change every few
// bytes, so the row decoder stops and resumes at nearly every position.
TEST(CodecDifferential, RowDecoderMatchesTheTranscriptionOnShortStreams) {
  std::mt19937 rng(77);
  for (std::size_t length = 1; length <= 300; ++length) {
    const Bytes coded = RandomBytes(rng, length, 35);
    RecordingRowsHost fastHost;
    RecordingRowsHost oracleHost;
    ASSERT_EQ(Capture([&] { return RLEDecompressRows(coded, 5, fastHost); }),
              Capture([&] { return oracle::DecompressRows(coded, 5, oracleHost); }))
        << length;
    ASSERT_EQ(FirstDifference(fastHost.calls, oracleHost.calls), "") << length;
  }
}

TEST(CodecDifferential, VerifyingDecoderMatchesTheTranscription) {
  std::mt19937 rng(7);
  for (int round = 0; round < 400; ++round) {
    const Bytes coded = RandomStream(rng, 80000);
    ASSERT_EQ(Capture([&] { return RLEDecompress(coded); }),
              Capture([&] { return oracle::Decompress(coded); }))
        << "round " << round << ", " << coded.size() << "-byte stream";
  }
}

TEST(CodecDifferential, EveryPictureSurvivesTheRoundTrip) {
  std::mt19937 rng(31337);
  for (int round = 0; round < 300; ++round) {
    const Bytes pixels = RandomPixels(rng, RandomLength(rng));
    Bytes coded;
    RLECompress2(pixels, coded, 4);
    if (coded.size() <= static_cast<std::size_t>(kMaxVerifiedStream)) {
      ASSERT_EQ(RLEDecompress(coded), pixels) << "round " << round;
    }
    RecordingRowsHost host;
    const Bytes area = RLEDecompressRows(coded, 64, host);
    ASSERT_EQ(StripRowAlignment(area, 64).size(), pixels.size()) << "round " << round;
  }
}

// Widths 1 to 70 in turn, then wider ones; streams long enough for rows of
// every kind, short last rows included.
TEST(CodecDifferential, RowDecoderMatchesTheTranscriptionCallForCall) {
  static constexpr std::int16_t kWide[] = {100, 176, 255, 256, 1023, 4096, 32767};
  std::mt19937 rng(424242);
  for (int round = 0; round < 770; ++round) {
    const std::int16_t width =
        round < 700 ? static_cast<std::int16_t>(round % 70 + 1) : kWide[round % 7];
    // Arbitrary bytes can decode to 127 times their length; keep those short.
    const Bytes coded = RandomStream(rng, round % 4 == 3 ? 3000 : 80000);
    RecordingRowsHost fastHost;
    RecordingRowsHost oracleHost;
    const Outcome fast = Capture([&] { return RLEDecompressRows(coded, width, fastHost); });
    const Outcome slow = Capture([&] { return oracle::DecompressRows(coded, width, oracleHost); });
    ASSERT_EQ(fast, slow) << "round " << round << ", width " << width;
    ASSERT_EQ(FirstDifference(fastHost.calls, oracleHost.calls), "")
        << "round " << round << ", width " << width;
  }
}

// The row decoder writes rows straight into the area, the last row first, so
// a row's window stores run past its end over rows already written. Spans and
// runs that cross rows, many rows in one step for narrow widths, and rows
// ending at every place in a window.
TEST(CodecDifferential, RowDecoderPlacesSpansAndRunsAcrossRows) {
  static constexpr std::int16_t kWidths[] = {1,  2,  3,  4,   5,   7,   31, 63,
                                             64, 65, 66, 127, 128, 129, 176};
  std::mt19937 rng(60606);
  const Bytes longRuns = Concat({Hex("41"), Bytes(20, 0x42), Hex("00 FF 00 FF 43 00 FF"),
                                 Bytes(130, 0x44), Hex("00 07 00 FF 45")});
  const Bytes literalsOnly = RandomBytes(rng, 1500, 0);
  for (const std::int16_t width : kWidths) {
    std::vector<Bytes> streams = {longRuns, literalsOnly};
    for (int round = 0; round < 6; ++round) {
      Bytes coded;
      RLECompress2(RandomPixels(rng, 3000 + static_cast<std::size_t>(round) * 997), coded, width);
      streams.push_back(coded);
    }
    for (const Bytes& coded : streams) {
      RecordingRowsHost fastHost;
      RecordingRowsHost oracleHost;
      ASSERT_EQ(Capture([&] { return RLEDecompressRows(coded, width, fastHost); }),
                Capture([&] { return oracle::DecompressRows(coded, width, oracleHost); }))
          << "width " << width << ", " << coded.size() << "-byte stream";
      ASSERT_EQ(FirstDifference(fastHost.calls, oracleHost.calls), "") << "width " << width;
    }
  }
}

// Past 6400 bytes a percentage spans a window or more; at these lengths the
// last positions of the percentages fall on and next to window edges.
TEST(CodecDifferential, FirstBarMatchesTheTranscriptionWhereWindowsMeetPercentages) {
  std::mt19937 rng(3200);
  for (const std::size_t length : {6336u, 6399u, 6400u, 6401u, 6464u, 12800u, 12864u}) {
    for (const int zeroPercent : {0, 20, 45}) {
      const Bytes coded = RandomBytes(rng, length, zeroPercent);
      RecordingRowsHost fastHost;
      RecordingRowsHost oracleHost;
      ASSERT_EQ(Capture([&] { return RLEDecompressRows(coded, 100, fastHost); }),
                Capture([&] { return oracle::DecompressRows(coded, 100, oracleHost); }))
          << length << " bytes";
      ASSERT_EQ(FirstDifference(fastHost.calls, oracleHost.calls), "") << length << " bytes";
    }
  }
}

// The verifying decoder guesses its output size from the stream's length and
// grows it; streams of long runs decode to up to 127 times their length.
TEST(CodecDifferential, VerifyingDecoderGrowsItsOutputAsTheTranscriptionDoes) {
  Bytes allRuns;
  for (int k = 0; k < 16383; ++k) {
    allRuns.insert(allRuns.end(), {0x00, 0xFF});
  }
  Bytes runsThenLiterals;
  for (int k = 0; k < 60; ++k) {
    runsThenLiterals.insert(runsThenLiterals.end(), {0x00, 0xFF});
  }
  runsThenLiterals.insert(runsThenLiterals.end(), 5000, 0x41);
  const Bytes literalsThenRuns = Concat({Bytes(500, 0x42), allRuns});
  for (Bytes stream : {allRuns, runsThenLiterals, literalsThenRuns}) {
    stream.resize(std::min<std::size_t>(stream.size(), kMaxVerifiedStream));
    ASSERT_EQ(RLEDecompress(stream), oracle::Decompress(stream)) << stream.size() << " bytes";
  }
}

TEST(CodecDifferential, RowPassesMatchTheTranscription) {
  std::mt19937 rng(555);
  for (int round = 0; round < 300; ++round) {
    const std::int32_t width = round < 210 ? round % 70 + 1 : round * 37 % 5000 + 1;
    const Bytes bytes = RandomPixels(rng, RandomLength(rng) % 30000);
    ASSERT_EQ(StripRowAlignment(bytes, width), oracle::Strip(bytes, width))
        << "round " << round << ", width " << width;
    RecordingRowsHost fastHost;
    RecordingRowsHost oracleHost;
    ASSERT_EQ(AddRowAlignment(bytes, width, &fastHost),
              oracle::AddAlignment(bytes, width, &oracleHost))
        << "round " << round << ", width " << width;
    ASSERT_EQ(FirstDifference(fastHost.calls, oracleHost.calls), "") << "round " << round;
    ASSERT_EQ(AddRowAlignment(bytes, width), oracle::AddAlignment(bytes, width, nullptr));
  }
}

TEST(CodecDifferential, PaletteSwapMatchesTheTranscription) {
  std::mt19937 rng(1024);
  for (int round = 0; round < 200; ++round) {
    const std::size_t length = round < 40   ? static_cast<std::size_t>(round)
                               : round < 50 ? 32760 + static_cast<std::size_t>(round % 10)
                                            : RandomLength(rng) % 33000;
    const Bytes palette = RandomBytes(rng, length, 10);
    ASSERT_EQ(Capture([&] { return SwapRedBlue(palette); }),
              Capture([&] { return oracle::SwapRedBlue(palette); }))
        << length << " bytes";
  }
}

}  // namespace
}  // namespace sprite::codec
