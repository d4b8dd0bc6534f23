#include "pipeline/picture_file.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "colour/oklab.h"
#include "files/whole_file.h"
#include "pipeline/bitmap_file_source.h"
#include "pipeline/palette_pass.h"

namespace sprite::pipeline {

namespace {

// A colour's move is told to three decimals of OKLab's unit (black to white is 1).
constexpr double kThousandths = 1000;

// "(r, g, b)", as messages show a colour.
std::string RgbText(const formats::PngColour& c) {
  return "(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " +
         std::to_string(c.blue) + ")";
}

}  // namespace

bool StartsAsPng(ByteSource& file) {
  if (file.Size() < formats::kPngSignature.size()) {
    return false;
  }
  std::array<std::uint8_t, formats::kPngSignature.size()> start{};
  file.ReadAt(0, start);
  return formats::IsPng(start);
}

SourcePicture MapPng(formats::PngPicture picture, const std::string& path, PictureMapper& mapper) {
  const std::uint32_t width = picture.width;
  const std::uint32_t height = picture.height;
  const std::optional<formats::EntryShape> shape = picture.entryShape;
  std::vector<Fault> changes;
  // Colours merged by rounding 16-bit samples are a change of their own,
  // unless the picture is mapped to a palette given or chosen: that mapping,
  // asked for, changes colours far more and has its own note.
  if (picture.mergedColours > 0 && mapper.Origin() != PaletteOrigin::kGiven) {
    changes.push_back({.kind = FaultKind::kColoursMerged,
                       .value = static_cast<std::int64_t>(picture.mergedColours),
                       .bound = picture.mergedCountComplete ? 0 : 1});
  }
  if (picture.framesLeftOut > 0) {
    changes.push_back({.kind = FaultKind::kFramesLeftOut, .value = picture.framesLeftOut});
  }
  const formats::PngColour zero =
      picture.palette.empty() ? formats::PngColour{} : picture.palette[0];
  MappedPicture mapped = mapper.Map(path, std::move(picture));
  if (mapped.changedPixels > 0) {
    changes.push_back(
        {.kind = FaultKind::kColoursChanged,
         .value = static_cast<std::int64_t>(mapped.changedPixels),
         .bound = std::llround(colour::Distance(mapped.farthestSquared) * kThousandths)});
  }
  if (mapped.onlyAtIndex0 > 0) {
    const Bytes& palette = mapper.Palette();
    changes.push_back({.kind = FaultKind::kGivenIndex0,
                       .value = static_cast<std::int64_t>(mapped.onlyAtIndex0),
                       .text = RgbText({palette[0], palette[1], palette[2]})});
  }
  if (mapped.opaqueIndex0 > 0) {
    // Colour 0 itself, or the nearest colour it took.
    const auto moved = mapper.MovedIndex0();
    const std::size_t at = moved ? 4 * std::size_t{moved->index} : 0;
    const Bytes& palette = mapper.Palette();
    const formats::PngColour shown =
        moved ? formats::PngColour{palette[at], palette[at + 1], palette[at + 2]} : zero;
    changes.push_back({.kind = moved ? FaultKind::kOpaqueIndex0Nearest : FaultKind::kOpaqueIndex0,
                       .value = static_cast<std::int64_t>(mapped.opaqueIndex0),
                       .bound = moved ? moved->index : 0,
                       .text = RgbText(shown)});
  }
  formats::EntryRows entry = formats::EntryOfPicture(height, std::move(mapped.image.pixels), shape);
  return {{.width = static_cast<std::int32_t>(width),
           .height = entry.heightField,
           .palette = mapper.Palette(),
           .storedRows = std::move(entry.storedRows),
           .rowsWhole = true},
          true,
          std::move(changes)};
}

SourcePicture PictureFileSource::Read(const std::string& path) {
  std::optional<Bytes> png;
  SourcePicture bitmap = files::UseFile(files_, path, [&](ByteSource& file) {
    if (!StartsAsPng(file)) {
      return BitmapFileSource::ReadFrom(file, path);
    }
    png = files::ReadWhole(file, kMaxPngFileBytes);
    return SourcePicture{};
  });
  if (!png) {
    return bitmap;
  }
  try {
    KeptFiles kept;
    PictureMapper mapper = TargetPaletteOf(files_, *png, {}, 0, rule_(), kept);
    // The window cuts no sheets: a picture is one entry, or is refused as Encode refuses it.
    return MapPng(formats::ReadPng(*png, {.oneEntry = true}), path, mapper);
  } catch (FaultError& error) {
    error.SetPath(path);
    throw;
  }
}

}  // namespace sprite::pipeline
