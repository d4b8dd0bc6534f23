// The rules a target palette keeps: where see-through ends, when indexed
// pictures share one palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "formats/png_picture.h"

namespace sprite::pipeline {

// What becomes of the pixels of an opaque colour 0 in indexed pictures that
// keep their shared palette, which has no see-through index of its own.
enum class OpaqueIndex0 : std::uint8_t {
  kSay,         // they stay index 0, see-through in an archive: a warning for each picture
  kKeep,        // they move to an index of their colour (PlaceOfOpaqueIndex0)
  kSeeThrough,  // they are meant to be see-through: index 0, without a word
};

// Where see-through ends, for the built and the given palette.
struct AlphaRule {
  // Empty: alpha 0 is see-through, 255 opaque, and any other alpha is refused
  // naming the picture and the pixel. N (1 to 255): alpha below N is
  // see-through, N and above opaque (and its colour counts without its alpha).
  std::optional<int> threshold{};
  // Shared palette without a see-through index: index 0's pixels.
  OpaqueIndex0 opaqueIndex0 = OpaqueIndex0::kSay;
};

enum class PaletteOrigin { kShared, kBuilt, kGiven };

// Index 0 is the see-through colour; the rest hold opaque colours.
inline constexpr std::size_t kMaxOpaqueColours = 255;

// The lowest alpha `rule` counts as opaque, once partial alphas it does not
// place are refused (CheckAlphas).
inline std::uint8_t OpaqueFrom(const AlphaRule& rule) {
  return static_cast<std::uint8_t>(rule.threshold.value_or(1));
}

// The picture's pixels as red, green, blue and alpha, whatever its form.
Bytes RgbaPixels(const formats::PngPicture& picture);

// `rule`, once its threshold is known to be 1 to 255; InvalidArgumentError otherwise.
AlphaRule Checked(AlphaRule rule);

// "(x, y)" of pixel `i` of a picture `width` wide.
std::string PixelPlace(std::size_t i, std::uint32_t width);

// True for a see-through pixel, false for an opaque one; pixel `i` of a
// picture `width` wide, of the file `name`, names the place of a partial
// alpha the rule refuses (FaultError, kPartialAlpha).
bool IsSeeThrough(std::uint8_t alpha, const AlphaRule& rule, std::string_view name, std::size_t i,
                  std::uint32_t width);

// Refuses a picture with a partial alpha the rule does not place before any of
// its colours is taken in, so that a refused picture leaves nothing behind.
void CheckAlphas(const AlphaRule& rule, std::string_view name, const formats::PngPicture& picture);

// A picture read again is not what the first pass saw of it (FaultError,
// kPictureChanged): `what` says how.
[[noreturn]] void PictureChanged(std::string_view name, std::string what);

// The see-through index of a PLTE with tRNS alphas: nothing when its alphas
// are all 255, the index of its one alpha 0; no answer at all (not shareable)
// for a partial alpha or more than one alpha 0.
std::optional<std::optional<std::uint8_t>> SeeThroughIndex(
    const std::vector<formats::PngColour>& plte);

// Whether a picture whose see-through index is `own`, over a PLTE of `size`
// entries, agrees with the set's, `set`, over PLTEs of at most `setSize`
// entries. A picture without entry k says nothing of it.
bool SeeThroughAgrees(std::optional<std::uint8_t> own, std::size_t size,
                      std::optional<std::uint8_t> set, std::size_t setSize);

// Two PLTEs agree when every entry both have is the same colour.
bool PalettesAgree(const std::vector<formats::PngColour>& a,
                   const std::vector<formats::PngColour>& b);

}  // namespace sprite::pipeline
