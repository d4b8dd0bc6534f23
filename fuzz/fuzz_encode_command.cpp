// The Encode command on one bitmap file of any content, end to end: headers,
// acceptance, palette, strip and flip check, coder, verifier, archive writer.
// The archive and the log are checked against a plain account of the same file.
#include <cstdint>
#include <string>
#include <vector>

#include "command_harness.h"
#include "formats/bitmap.h"
#include "formats/entry_limits.h"

namespace {

using sprite::Bytes;
using sprite::fuzz::Put;
namespace oracle = sprite::codec::oracle;
namespace formats = sprite::formats;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using sprite::fuzz::Check;
  const Bytes input(data, data + size);
  sprite::fuzz::Commands commands;
  commands.Files()["in.bmp"] = input;
  commands.Encode({"in.bmp"}, "out.spr");

  // Whether the picture can be stored, and what is stored, found plainly.
  const formats::BitmapHeaders headers = formats::ReadBitmapHeaders(input);
  bool storable = formats::PassesAcceptanceTest(headers) && headers.compression == 0;
  formats::AcceptedBitmap bitmap;
  if (storable) {
    try {
      bitmap = formats::ReadAcceptedBitmap(input, headers);
    } catch (const sprite::FaultError&) {
      storable = false;
    }
  }
  storable = storable && formats::FitsField(headers.width) && formats::FitsField(headers.height);
  Bytes rows;
  Bytes coded;
  const bool coderReached = storable;
  if (coderReached) {
    rows = oracle::Strip(bitmap.pixelArea, headers.width);
    coded = oracle::Compress2(rows);
    storable = coded.size() <= formats::kMaxStoredStream;
  }

  const sprite::pipeline::RunReport& run = commands.LastRun();
  Check(run.completed && !run.outputFailed && !run.cancelled);
  Check(run.stored == (storable ? 1 : 0));

  Bytes expected{0x53, 0x50, 0x01, 0x02};
  Put(expected, static_cast<std::uint32_t>(run.stored), 2);
  Put(expected, 0, 2);
  std::vector<std::string> log{"Init"};
  if (coderReached) {
    log.push_back("Adding: in.bmp");
    if (oracle::AddAlignment(rows, headers.width, nullptr) != bitmap.pixelArea) {
      log.push_back("Warning: Flip Invalid!");
    }
  }
  if (storable) {
    Put(expected, static_cast<std::uint32_t>(headers.width), 2);
    Put(expected, static_cast<std::uint32_t>(headers.height), 2);
    Put(expected, static_cast<std::uint32_t>(coded.size()), 2);
    expected.insert(expected.end(), coded.begin(), coded.end());
    const Bytes trailer = oracle::SwapRedBlue(bitmap.palette);
    expected.insert(expected.end(), trailer.begin(), trailer.end());
    Check(oracle::Decompress(coded) == rows);
    log.push_back("RLE: OK, Compressed and orig data are identical ;]");
  } else {
    expected.resize(expected.size() + 1024);  // the palette of a window that stored nothing
    // The one line that says why, in words the command chooses.
    Check(commands.Log().size() == log.size() + 2);
    log.push_back(commands.Log()[log.size()]);
  }
  log.push_back("Completed ");
  Check(commands.Files().at("out.spr") == expected);
  Check(commands.Log() == log);
  Check(commands.Files().size() == 2);
  return 0;
}
