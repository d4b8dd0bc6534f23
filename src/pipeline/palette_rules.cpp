#include "pipeline/palette_rules.h"

#include <algorithm>
#include <utility>

#include "common/error.h"

namespace sprite::pipeline {

namespace {

using formats::PngColour;
using formats::PngForm;

bool SameColour(const PngColour& a, const PngColour& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

}  // namespace

Bytes RgbaPixels(const formats::PngPicture& picture) {
  if (picture.form == PngForm::kRgba8) {
    return picture.pixels;
  }
  Bytes rgba(4 * picture.pixels.size());
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    const PngColour& c = picture.palette[picture.pixels[i]];
    rgba[4 * i] = c.red;
    rgba[4 * i + 1] = c.green;
    rgba[4 * i + 2] = c.blue;
    rgba[4 * i + 3] = c.alpha;
  }
  return rgba;
}

AlphaRule Checked(AlphaRule rule) {
  if (rule.threshold && (*rule.threshold < 1 || *rule.threshold > 255)) {
    throw InvalidArgumentError("an alpha threshold is a whole number from 1 to 255, not " +
                               std::to_string(*rule.threshold));
  }
  return rule;
}

std::string PixelPlace(std::size_t i, std::uint32_t width) {
  return "(" + std::to_string(i % width) + ", " + std::to_string(i / width) + ")";
}

void PictureChanged(std::string_view name, std::string what) {
  throw FaultError(
      {.kind = FaultKind::kPictureChanged, .path = std::string(name), .text = std::move(what)});
}

bool IsSeeThrough(std::uint8_t alpha, const AlphaRule& rule, std::string_view name, std::size_t i,
                  std::uint32_t width) {
  if (rule.threshold) {
    return alpha < *rule.threshold;
  }
  if (alpha == 0 || alpha == 255) {
    return alpha == 0;
  }
  throw FaultError({.kind = FaultKind::kPartialAlpha,
                    .path = std::string(name),
                    .value = alpha,
                    .text = PixelPlace(i, width)});
}

void CheckAlphas(const AlphaRule& rule, std::string_view name, const formats::PngPicture& picture) {
  if (rule.threshold) {
    return;
  }
  const auto partial = [](std::uint8_t alpha) { return alpha != 0 && alpha != 255; };
  if (picture.form == PngForm::kIndexed &&
      std::ranges::none_of(picture.palette, partial, &PngColour::alpha)) {
    return;
  }
  const std::size_t count = std::size_t{picture.width} * picture.height;
  const auto alphaOf = [&](std::size_t i) {
    return picture.form == PngForm::kIndexed ? picture.palette[picture.pixels[i]].alpha
                                             : picture.pixels[4 * i + 3];
  };
  // Whether any alpha is partial, before the first one is looked for: the
  // reader says so; a picture from elsewhere is looked at in full.
  const bool anyPartial =
      picture.form == PngForm::kIndexed ||
      (picture.partialAlpha ? *picture.partialAlpha : formats::AnyPartialAlpha(picture.pixels));
  for (std::size_t i = 0; anyPartial && i < count; ++i) {
    if (partial(alphaOf(i))) {
      IsSeeThrough(alphaOf(i), rule, name, i, picture.width);
    }
  }
}

std::optional<std::optional<std::uint8_t>> SeeThroughIndex(const std::vector<PngColour>& plte) {
  std::optional<std::uint8_t> found;
  for (std::size_t i = 0; i < plte.size(); ++i) {
    if (plte[i].alpha == 255) {
      continue;
    }
    if (plte[i].alpha != 0 || found) {
      return std::nullopt;
    }
    found = static_cast<std::uint8_t>(i);
  }
  return found;
}

bool SeeThroughAgrees(std::optional<std::uint8_t> own, std::size_t size,
                      std::optional<std::uint8_t> set, std::size_t setSize) {
  if (own == set) {
    return true;
  }
  if (!own) {
    return *set >= size;
  }
  return !set && *own >= setSize;
}

bool PalettesAgree(const std::vector<PngColour>& a, const std::vector<PngColour>& b) {
  const std::size_t both = std::min(a.size(), b.size());
  return std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(both), b.begin(),
                    SameColour);
}

}  // namespace sprite::pipeline
