#include "codec/rle_encoder.h"

#include <gtest/gtest.h>

#include <climits>

#include "codec/codec_test_support.h"
#include "codec/rle_decoder.h"

namespace sprite::codec {
namespace {

struct CodeCase {
  const char* name;
  Bytes pixels;
  Bytes coded;
};

std::vector<CodeCase> CodeCases() {
  return {
      {"empty", {}, {}},
      {"one literal", Hex("41"), Hex("41")},
      {"one zero", Hex("00"), Hex("00 01")},
      {"equal literals stay literals", Hex("41 41"), Hex("41 41")},
      {"literals and a run", Hex("41 00 00 00 42 42 00"), Hex("41 00 03 42 42 00 01")},
      {"zeros around a literal", Hex("00 41 00"), Hex("00 01 41 00 01")},
      {"254 zeros", Zeros(254), Hex("00 FE")},
      {"255 zeros", Zeros(255), Hex("00 FF")},
      {"256 zeros", Zeros(256), Hex("00 FF 00 01")},
      {"257 zeros", Zeros(257), Hex("00 FF 00 02")},
      {"510 zeros: no trailing pair", Zeros(510), Hex("00 FF 00 FF")},
      {"511 zeros", Zeros(511), Hex("00 FF 00 FF 00 01")},
      {"600 zeros", Zeros(600), Hex("00 FF 00 FF 00 5A")},
      {"literal then 256 zeros", Concat({Hex("41"), Zeros(256)}), Hex("41 00 FF 00 01")},
      {"255 zeros between literals", Concat({Hex("01"), Zeros(255), Hex("FF")}),
       Hex("01 00 FF FF")},
  };
}

TEST(RLECompress2, CodesEachCaseAndBothDecodersGiveItBack) {
  for (const CodeCase& c : CodeCases()) {
    SCOPED_TRACE(c.name);
    Bytes coded;
    RLECompress2(c.pixels, coded, 4);
    EXPECT_EQ(coded, c.coded);
    EXPECT_EQ(RLEDecompress(coded), c.pixels);
  }
}

TEST(RLECompress2, ReplacesWhateverTheOutputHeld) {
  Bytes coded = Hex("AA BB CC DD EE FF 11 22 33");
  RLECompress2(Hex("00 00 07"), coded, 3);
  EXPECT_EQ(coded, Hex("00 02 07"));
  RLECompress2({}, coded, 3);
  EXPECT_TRUE(coded.empty());
}

TEST(RLECompress2, GivesTheSameStreamWhateverTheWidth) {
  const Bytes pixels = Concat({Hex("00 00 05 06"), Zeros(300), Hex("07 00")});
  Bytes expected;
  RLECompress2(pixels, expected, 4);
  for (const std::int32_t width : {INT32_MIN, -3, 0, 1, 3, 7, 32767, INT32_MAX}) {
    Bytes coded;
    RLECompress2(pixels, coded, width);
    EXPECT_EQ(coded, expected) << "width " << width;
  }
}

TEST(RLECompress2, CodesAnInputThatIsItsOwnOutput) {
  Bytes buffer = Hex("41 00 00 00 42 42 00");
  RLECompress2(buffer, buffer, 7);
  EXPECT_EQ(buffer, Hex("41 00 03 42 42 00 01"));
}

// Lone zeros between literals make the longest streams: n + ceil(n / 2) bytes.
TEST(RLECompress2, CodesTheLongestPossibleStreams) {
  for (const std::size_t pairs : {0u, 1u, 2u, 1000u}) {
    Bytes pixels;
    for (std::size_t k = 0; k < pairs; ++k) {
      pixels.push_back(0x00);
      pixels.push_back(0x41);
    }
    pixels.push_back(0x00);
    Bytes coded;
    RLECompress2(pixels, coded, 1);
    EXPECT_EQ(coded.size(), pixels.size() + (pixels.size() + 1) / 2);
    EXPECT_EQ(RLEDecompress(coded), pixels);
  }
}

class CountingYielder : public Yielder {
 public:
  void Yield() override { ++yields; }
  int yields = 0;
};

TEST(RLECompress, GivesTheSameStreamAndYieldsOncePerZeroByte) {
  for (const CodeCase& c : CodeCases()) {
    SCOPED_TRACE(c.name);
    CountingYielder host;
    Bytes coded = Hex("99 99");
    RLECompress(c.pixels, coded, 4, host);
    EXPECT_EQ(coded, c.coded);
    EXPECT_EQ(host.yields, std::count(c.pixels.begin(), c.pixels.end(), 0));
  }
}

}  // namespace
}  // namespace sprite::codec
