// The Decode command on one archive file of any content, end to end: archive
// reader, row decoder and bitmap writer. Every bitmap written, the files left
// and the log are checked against a plain reading of the same archive.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command_harness.h"

namespace {

using sprite::Bytes;
using sprite::ByteView;
using sprite::fuzz::Field16;
using sprite::fuzz::Put;
namespace oracle = sprite::codec::oracle;

constexpr std::size_t kTrailer = 1024;

// A bitmap as Decode writes it, field by field.
Bytes PlainBitmap(std::int16_t width, std::int16_t height, ByteView palette, ByteView area) {
  Bytes out{'B', 'M'};
  const auto length = static_cast<std::uint32_t>(area.size());
  for (const auto& [value, size] : {std::pair<std::uint32_t, std::size_t>{1078 + length, 4},
                                    {0, 4},
                                    {1078, 4},
                                    {40, 4},
                                    {static_cast<std::uint32_t>(std::int32_t{width}), 4},
                                    {static_cast<std::uint32_t>(std::int32_t{height}), 4},
                                    {1, 2},
                                    {8, 2},
                                    {0, 4},
                                    {length, 4},
                                    {0, 4},
                                    {0, 4},
                                    {256, 4},
                                    {0, 4}}) {
    Put(out, value, size);
  }
  out.insert(out.end(), palette.begin(), palette.end());
  out.insert(out.end(), area.begin(), area.end());
  return out;
}

std::string Name(int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", number);
  return std::string("in.spr.") + digits + ".bmp";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using sprite::fuzz::Check;
  const ByteView input(data, size);
  sprite::fuzz::Commands commands;
  commands.Files()["in.spr"] = Bytes(input.begin(), input.end());
  commands.Decode("in.spr");

  const sprite::pipeline::RunReport& run = commands.LastRun();
  Check(!run.outputFailed && !run.cancelled);
  const std::vector<std::string>& log = commands.Log();
  Check(!log.empty() && log.front() == "Decoding...");
  const bool archive = size >= kTrailer && input[0] == 0x53 && input[1] == 0x50 &&
                       input[2] == 0x01 && input[3] == 0x02;
  if (!archive) {
    Check(log.size() == 1 && commands.Files().size() == 1 && !run.completed);
    return 0;
  }

  // Entries read one after another, each checked against the start of the
  // palette, and decoded plainly until the first one that cannot be.
  const std::size_t trailerStart = size - kTrailer;
  const Bytes palette = oracle::SwapRedBlue(input.subspan(trailerStart));
  const std::int16_t count = Field16(input, 4);
  std::size_t at = 8;
  int written = 0;
  bool whole = true;
  sprite::fuzz::QuietStepHost host;
  for (int k = 1; k <= count && whole; ++k) {
    whole = at + 6 <= trailerStart;
    const std::int16_t width = whole ? Field16(input, at) : 0;
    const std::int16_t height = whole ? Field16(input, at + 2) : 0;
    const std::int16_t length = whole ? Field16(input, at + 4) : 0;
    const auto streamLength = static_cast<std::size_t>(length);
    whole = whole && width > 0 && length >= 0 && at + 6 + streamLength <= trailerStart;
    if (!whole) {
      break;
    }
    std::optional<Bytes> area;
    try {
      area = oracle::DecompressRows(input.subspan(at + 6, streamLength), width, host);
    } catch (const sprite::FaultError&) {
      whole = false;
      break;
    }
    Check(commands.Files().at(Name(k)) == PlainBitmap(width, height, palette, *area));
    ++written;
    at += 6 + streamLength;
  }

  Check(run.completed == whole && run.stored == written);
  Check(commands.Files().size() == 1 + static_cast<std::size_t>(written));
  Check(log.back() ==
        "Decoded " + std::to_string(whole ? count : written) + " pictures in .spr to .bmp");
  const int numbered = whole ? std::max<int>(count, 0) : written + 1;
  Check(log.size() == 2 + static_cast<std::size_t>(numbered) + (whole ? 0 : 1));
  for (int k = 1; k <= numbered; ++k) {
    Check(log[static_cast<std::size_t>(k)] == "Processing bitmap: " + std::to_string(k));
  }
  return 0;
}
