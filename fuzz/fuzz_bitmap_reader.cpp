// Reads an arbitrary file as a bitmap the way the Encode command does, strips the
// rows of a sane width, and checks that writing the picture again and reading it
// back gives the same palette and pixel area.
#include <cstdint>
#include <cstdlib>

#include "codec/row_alignment.h"
#include "common/error.h"
#include "formats/bitmap.h"
#include "formats/entry_limits.h"

namespace {

// Keeps a single run short: stripping copies the area once per row.
constexpr std::int32_t kMaxStrippedWidth = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprite::formats;
  const sprite::ByteView file(data, size);
  try {
    const BitmapHeaders headers = ReadBitmapHeaders(file);
    if (!PassesAcceptanceTest(headers)) {
      return 0;
    }
    const AcceptedBitmap bitmap = ReadAcceptedBitmap(file, headers);
    if (bitmap.palette.size() != kPaletteSize || bitmap.pixelArea.size() > size) {
      std::abort();
    }
    if (headers.width <= kMaxStrippedWidth) {
      const sprite::Bytes rows = sprite::codec::StripRowAlignment(bitmap.pixelArea, headers.width);
      if (rows.size() > bitmap.pixelArea.size()) {
        std::abort();
      }
    }
    if (FitsField(headers.width) && FitsField(headers.height)) {
      const sprite::Bytes again =
          WriteBitmap(static_cast<std::int16_t>(headers.width),
                      static_cast<std::int16_t>(headers.height), bitmap.palette, bitmap.pixelArea);
      const AcceptedBitmap reread = ReadAcceptedBitmap(again, ReadBitmapHeaders(again));
      if (reread.palette != bitmap.palette || reread.pixelArea != bitmap.pixelArea) {
        std::abort();
      }
    }
  } catch (const sprite::Error&) {
  }
  return 0;
}
