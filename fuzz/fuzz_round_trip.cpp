// A bitmap of any content through Encode and back through Decode: whatever is
// stored comes back with its size, its palette (reserved bytes 0) and its rows
// in place, byte for byte when its pixel area was whole rows with zero padding;
// and the bitmap that comes back encodes to the same archive again.
#include <algorithm>
#include <cstdint>
#include <string>

#include "command_harness.h"
#include "formats/bitmap.h"
#include "formats/png_picture.h"

namespace {

using sprite::Bytes;
using sprite::ByteView;
using sprite::fuzz::Field32;
namespace oracle = sprite::codec::oracle;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using sprite::fuzz::Check;
  const Bytes input(data, data + size);
  // A file that starts with the PNG signature is read as a PNG, whatever its
  // name; PNG pictures have their own round trip in fuzz_png_reader.
  if (sprite::formats::IsPng(input)) {
    return 0;
  }
  sprite::fuzz::Commands commands;
  commands.Files()["in.bmp"] = input;
  commands.Encode({"in.bmp"}, "rt.spr");
  if (commands.LastRun().stored == 0) {
    return 0;
  }
  bool flipValid = true;
  for (const auto& line : commands.Log()) {
    flipValid = flipValid && line != "Warning: Flip Invalid!";
  }
  const Bytes archive = commands.Files().at("rt.spr");

  commands.Decode("rt.spr");
  Check(commands.LastRun().completed && commands.LastRun().stored == 1);
  const Bytes& back = commands.Files().at("rt.spr.0001.bmp");

  const sprite::formats::BitmapHeaders headers = sprite::formats::ReadBitmapHeaders(input);
  const std::int32_t width = headers.width;
  Check(Field32(back, 18) == width && Field32(back, 22) == headers.height);
  const ByteView palette = ByteView(back).subspan(54, 1024);
  const Bytes given = sprite::fuzz::ClearedReserved(
      ByteView(input).subspan(sprite::formats::PaletteOffset(headers), 1024));
  Check(std::ranges::equal(palette, given));
  const ByteView area = ByteView(back).subspan(1078);
  const ByteView original = ByteView(input).subspan(headers.pixelOffset);
  const Bytes rebuilt = oracle::AddAlignment(oracle::Strip(original, width), width, nullptr);
  Check(std::ranges::equal(area, rebuilt));
  if (flipValid) {
    Check(std::ranges::equal(area, original));
    commands.Encode({"rt.spr.0001.bmp"}, "again.spr");
    Check(commands.Files().at("again.spr") == archive);
  }
  return 0;
}
