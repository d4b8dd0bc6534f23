// The Encode command on one picture file of any content, end to end: headers,
// acceptance, palette, strip and flip check, coder, verifier, archive writer.
// For a bitmap, the archive and the log are checked against a plain account of
// the same file. A file that starts with the PNG signature is read as a PNG
// whatever its name: it is stored only when the PNG reader takes it, and then
// as one entry of its size whose rows decode to its area.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "command_harness.h"
#include "formats/bitmap.h"
#include "formats/entry_limits.h"
#include "formats/png_picture.h"

namespace {

using sprite::Bytes;
using sprite::fuzz::Put;
namespace oracle = sprite::codec::oracle;
namespace formats = sprite::formats;

constexpr std::size_t kEmptyArchiveSize = 8 + 1024;

void CheckPngRun(const Bytes& input, sprite::fuzz::Commands& commands) {
  using sprite::fuzz::Check;
  using sprite::fuzz::Field;
  std::optional<formats::PngPicture> picture;
  try {
    picture = formats::ReadPng(input);
  } catch (const sprite::FaultError&) {
    picture.reset();
  }
  const sprite::pipeline::RunReport& run = commands.LastRun();
  Check(run.completed && !run.outputFailed && !run.cancelled);
  Check(run.stored <= 1 && (picture || run.stored == 0));
  const std::vector<std::string>& log = commands.Log();
  Check(log.size() >= 3 && log.front() == "Init" && log.back() == "Completed ");
  const Bytes& archive = commands.Files().at("out.spr");
  Check(archive.size() >= kEmptyArchiveSize &&
        Field(archive, 4, 2) == static_cast<std::uint32_t>(run.stored));
  if (run.stored == 0) {
    Check(archive.size() == kEmptyArchiveSize);
    return;
  }
  // An entry written out as a PNG carries its height field and stored length.
  const std::size_t area = std::size_t{picture->width} * picture->height;
  const auto& shape = picture->entryShape;
  const std::uint32_t heightField =
      shape ? static_cast<std::uint16_t>(shape->heightField) : picture->height;
  const std::size_t storedLength = shape ? std::min<std::size_t>(shape->storedLength, area) : area;
  Check(Field(archive, 8, 2) == picture->width && Field(archive, 10, 2) == heightField);
  const std::size_t codedLength = Field(archive, 12, 2);
  Check(archive.size() == 14 + codedLength + 1024);
  const Bytes coded(archive.data() + 14, archive.data() + 14 + codedLength);
  Check(oracle::Decompress(coded).size() == storedLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using sprite::fuzz::Check;
  const Bytes input(data, data + size);
  sprite::fuzz::Commands commands;
  commands.Files()["in.bmp"] = input;
  commands.Encode({"in.bmp"}, "out.spr");
  if (formats::IsPng(input)) {
    CheckPngRun(input, commands);
    return 0;
  }

  // Whether the picture can be stored, and what is stored, found plainly.
  const formats::BitmapHeaders headers = formats::ReadBitmapHeaders(input);
  // A 12-byte information header is an OS/2 bitmap's, refused whatever the
  // fields at the Windows header's offsets say.
  const bool os2 = headers.infoHeaderSize == formats::kOs2HeaderSize && input.size() >= 2 &&
                   input[0] == 'B' && input[1] == 'M';
  bool storable = formats::PassesAcceptanceTest(headers) && headers.compression == 0 && !os2;
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
    const auto heldRows = static_cast<std::int64_t>(
        headers.width > 0 ? rows.size() / static_cast<std::size_t>(headers.width) : 0);
    if (oracle::AddAlignment(rows, headers.width, nullptr) != bitmap.pixelArea) {
      log.push_back("Warning: Flip Invalid!");
    } else if (heldRows != std::abs(std::int64_t{headers.height})) {
      // A height that is not the rows held: one warning, in the command's words.
      Check(commands.Log().size() > log.size() &&
            commands.Log()[log.size()].starts_with("Warning: its pixel area holds "));
      log.push_back(commands.Log()[log.size()]);
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
