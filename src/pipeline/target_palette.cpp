#include "pipeline/target_palette.h"

#include <bitset>
#include <vector>

#include "common/error.h"
#include "pipeline/colour_tables.h"

namespace sprite::pipeline {

namespace {

using formats::PngColour;
using formats::PngForm;
using formats::PngPicture;

// The colour of pixel `i`, counted row by row.
PngColour ColourOf(const PngPicture& picture, std::size_t i) {
  if (picture.form == PngForm::kIndexed) {
    return picture.palette[picture.pixels[i]];
  }
  const std::uint8_t* p = picture.pixels.data() + 4 * i;
  return {p[0], p[1], p[2], p[3]};
}

}  // namespace

struct TargetPaletteBuilder::Pass {
  AlphaRule rule;
  std::size_t count = 0;
  bool shareable = true;
  std::vector<PngColour> shared;
  std::optional<std::uint8_t> seeThrough;
  // The built palette's colours in order of first sight, as many as it holds,
  // and every distinct colour seen, to count them.
  std::vector<PngColour> built;
  std::unique_ptr<std::bitset<1 << 24>> seen = std::make_unique<std::bitset<1 << 24>>();
  std::size_t distinct = 0;
  // Only palettes were added: a built palette grows as Map meets the colours.
  bool palettesOnly = false;

  void Share(PngForm form, const std::vector<PngColour>& palette) {
    const auto seeThroughIndex =
        form == PngForm::kIndexed ? SeeThroughIndex(palette) : std::nullopt;
    if (!seeThroughIndex) {
      shareable = false;
    } else if (count == 1) {
      seeThrough = *seeThroughIndex;
      shared = palette;
    } else if (!PalettesAgree(shared, palette) ||
               !SeeThroughAgrees(*seeThroughIndex, palette.size(), seeThrough, shared.size())) {
      shareable = false;
    } else {
      seeThrough = seeThrough ? seeThrough : *seeThroughIndex;
      if (palette.size() > shared.size()) {
        shared = palette;
      }
    }
  }

  void Collect(std::string_view name, const PngPicture& picture) {
    const std::size_t pixels = std::size_t{picture.width} * picture.height;
    for (std::size_t i = 0; i < pixels; ++i) {
      const PngColour c = ColourOf(picture, i);
      if (IsSeeThrough(c.alpha, rule, name, i, picture.width)) {
        continue;
      }
      const std::uint32_t key = ColourKey(c);
      if (!seen->test(key)) {
        seen->set(key);
        ++distinct;
        if (built.size() < kMaxOpaqueColours) {
          built.push_back({c.red, c.green, c.blue, 255});
        }
      }
    }
  }
};

TargetPaletteBuilder::TargetPaletteBuilder(AlphaRule rule) : pass_(std::make_unique<Pass>()) {
  pass_->rule = Checked(rule);
}
TargetPaletteBuilder::TargetPaletteBuilder(TargetPaletteBuilder&&) noexcept = default;
TargetPaletteBuilder::~TargetPaletteBuilder() = default;

void TargetPaletteBuilder::Add(std::string_view name, const PngPicture& picture) {
  CheckAlphas(pass_->rule, name, picture);
  ++pass_->count;
  if (pass_->shareable) {
    pass_->Share(picture.form, picture.palette);
  }
  // Always, since a later picture may still rule the shared palette out.
  pass_->Collect(name, picture);
}

void TargetPaletteBuilder::AddPalette(const formats::PngColours& colours) {
  ++pass_->count;
  pass_->palettesOnly = true;
  if (pass_->shareable) {
    pass_->Share(colours.form, colours.palette);
  }
}

bool TargetPaletteBuilder::Shared() const {
  return pass_->count > 0 && pass_->shareable;
}

std::size_t TargetPaletteBuilder::Count() const {
  return pass_->count;
}

PictureMapper TargetPaletteBuilder::Finish() const {
  if (pass_->count == 0) {
    throw InvalidArgumentError("a palette is built from at least one PNG picture");
  }
  if (pass_->shareable) {
    return PictureMapper::Shared(pass_->shared, pass_->seeThrough, pass_->rule);
  }
  if (pass_->distinct > kMaxOpaqueColours) {
    throw FaultError(
        {.kind = FaultKind::kTooManyColours, .value = static_cast<std::int64_t>(pass_->distinct)});
  }
  return PictureMapper::Built(pass_->built, pass_->palettesOnly, pass_->rule);
}

}  // namespace sprite::pipeline
