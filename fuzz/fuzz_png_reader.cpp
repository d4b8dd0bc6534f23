// Reads an arbitrary file as a PNG, decoded whole and row by row, which must
// agree. A format error is the expected way out. A
// picture that reads is written again as an 8-bit indexed PNG, and as an
// archive entry, and read back: the same indexes, colours and entry must come out.
// The colours read before the pixels (what Encode judges a set's palette by)
// must be those the whole picture gives.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>

#include "common/error.h"
#include "formats/entry_limits.h"
#include "formats/png_picture.h"
#include "formats/png_writer.h"

namespace {

using namespace sprite::formats;

// Small enough that every input runs in milliseconds.
constexpr PngLimits kLimits{.maxWidth = 4096, .maxHeight = 4096, .maxPixels = 1u << 20};

void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

// The picture as indexes into at most 256 colours, alpha kept; false when it has more.
bool Indexed(const PngPicture& picture, sprite::Bytes& indexes, std::vector<PngColour>& colours) {
  if (picture.form == PngForm::kIndexed) {
    indexes = picture.pixels;
    colours = picture.palette;
    return true;
  }
  std::map<std::uint32_t, std::uint8_t> known;
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    for (std::uint32_t x = 0; x < picture.width; ++x) {
      const PngColour c = picture.At(x, y);
      const std::uint32_t key = std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
      auto [at, added] = known.try_emplace(key, static_cast<std::uint8_t>(colours.size()));
      if (added) {
        if (colours.size() == 256) {
          return false;
        }
        colours.push_back(c);
      }
      indexes.push_back(at->second);
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::optional<PngColours> early;
  try {
    early = ReadPngColours(sprite::ByteView(data, size));
  } catch (const sprite::Error&) {
    early.reset();
  }
  // The whole-image decoding and libspng's row by row take and give the same.
  std::optional<PngPicture> rowByRow;
  try {
    rowByRow = ReadPng(sprite::ByteView(data, size), kLimits, PngDecoding::kRowByRow);
  } catch (const sprite::Error&) {
    rowByRow.reset();
  }
  PngPicture picture;
  try {
    picture = ReadPng(sprite::ByteView(data, size), kLimits);
  } catch (const sprite::Error&) {
    Check(!rowByRow);
    return 0;
  }
  Check(rowByRow && rowByRow->form == picture.form && rowByRow->pixels == picture.pixels &&
        rowByRow->palette == picture.palette && rowByRow->entryShape == picture.entryShape);
  Check(early && early->form == picture.form && early->palette == picture.palette);
  const std::size_t area = std::size_t{picture.width} * picture.height;
  Check(area > 0 && area <= kLimits.maxPixels);
  if (picture.form == PngForm::kRgba8) {
    Check(picture.pixels.size() == 4 * area && picture.palette.empty());
  } else {
    Check(picture.pixels.size() == area && !picture.palette.empty() &&
          picture.palette.size() <= 256);
    for (std::uint8_t index : picture.pixels) {
      Check(index < picture.palette.size());
    }
  }

  sprite::Bytes indexes;
  std::vector<PngColour> colours;
  if (!Indexed(picture, indexes, colours)) {
    return 0;
  }
  sprite::Bytes palette(1024, 0);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    palette[4 * i] = colours[i].red;
    palette[4 * i + 1] = colours[i].green;
    palette[4 * i + 2] = colours[i].blue;
  }
  const PngPicture again = ReadPng(
      WriteIndexedPng(picture.width, picture.height, indexes, palette, {.seeThroughIndex0 = false}),
      kLimits);
  Check(again.form == PngForm::kIndexed && again.pixels == indexes);
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    for (std::uint32_t x = 0; x < picture.width; ++x) {
      PngColour expected = picture.At(x, y);
      expected.alpha = 255;
      Check(again.At(x, y) == expected);
    }
  }

  if (picture.width <= static_cast<std::uint32_t>(kMaxField)) {
    const EntryRows entry = EntryOfPicture(picture.height, indexes, picture.entryShape);
    if (FitsField(entry.heightField)) {
      const auto heightField = static_cast<std::int16_t>(entry.heightField);
      const PngPicture written = ReadPng(WriteEntryPng(static_cast<std::int32_t>(picture.width),
                                                       heightField, entry.storedRows, palette),
                                         kLimits);
      const EntryRows back = EntryOfPicture(written.height, written.pixels, written.entryShape);
      Check(back.heightField == entry.heightField && back.storedRows == entry.storedRows);
    }
  }
  return 0;
}
