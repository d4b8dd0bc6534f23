#include "pipeline/png_read_ahead.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"

namespace sprite::pipeline {
namespace {

Bytes Png(std::uint8_t index) {
  return formats::WriteIndexedPng(3, 2, Bytes(6, index), Bytes(1024, 7));
}

// What the run's own thread would read: the picture's indexes, or the words of its fault.
std::string ReadHere(const Bytes& file) {
  try {
    const Bytes pixels = formats::ReadPng(file).pixels;
    return std::string(pixels.begin(), pixels.end());
  } catch (const FaultError& error) {
    return error.what();
  }
}

std::string TakeAhead(PngReadAhead& ahead, const std::string& path) {
  try {
    const auto picture = ahead.Take(path);
    return picture ? std::string(picture->pixels.begin(), picture->pixels.end()) : "(none)";
  } catch (const FaultError& error) {
    return error.what();
  }
}

TEST(PngReadAhead, GivesWhatReadPngGivesInListOrderAndPassesOverWhatTheRunSkips) {
  Bytes damaged = Png(2);
  damaged.resize(damaged.size() - 20);
  PngReadAhead ahead;
  ahead.Keep("a.png", Png(1));
  ahead.Keep("b.png", damaged);
  ahead.Keep("c.png", Png(3));
  ahead.Keep("a.png", Png(4));  // the same name later in the list
  ahead.Keep("d.png", Png(5));

  EXPECT_EQ(TakeAhead(ahead, "a.png"), ReadHere(Png(1)));
  EXPECT_EQ(TakeAhead(ahead, "b.png"), ReadHere(damaged));
  // A file the run reads itself is not kept: nothing, and nothing is passed over.
  EXPECT_EQ(TakeAhead(ahead, "other.png"), "(none)");
  // Taking the second a.png passes over c.png, which is then not given again.
  EXPECT_EQ(TakeAhead(ahead, "a.png"), ReadHere(Png(4)));
  EXPECT_EQ(TakeAhead(ahead, "c.png"), "(none)");
  EXPECT_EQ(TakeAhead(ahead, "a.png"), "(none)");
  // d.png is still decoded when the run is done with it: nothing waits on it.
}

TEST(PngReadAhead, KeepsFilesOnlyWithinItsBound) {
  PngReadAhead ahead;
  EXPECT_TRUE(ahead.Takes(PngReadAhead::kMostFileBytes));
  EXPECT_FALSE(ahead.Takes(PngReadAhead::kMostFileBytes + 1));
  ahead.Keep("big.png", Bytes(PngReadAhead::kMostFileBytes + 1));
  EXPECT_EQ(TakeAhead(ahead, "big.png"), "(none)");
}

}  // namespace
}  // namespace sprite::pipeline
