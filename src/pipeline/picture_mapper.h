// Each PNG picture's indexes in the target palette, through the palette's
// mapping tables.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "colour/dither.h"
#include "colour/oklab.h"
#include "common/bytes.h"
#include "formats/palette_file.h"
#include "formats/png_picture.h"
#include "pipeline/indexed_image.h"
#include "pipeline/opaque_index0.h"
#include "pipeline/palette_rules.h"

namespace sprite::pipeline {

struct MappedPicture {
  IndexedImage image;
  // Given palette: opaque pixels whose colour has no exact entry.
  std::uint64_t changedPixels = 0;
  // Shared palette without a see-through index: the pixels of the opaque
  // colour 0 that are see-through in the archive (kSay), or that took the
  // nearest colour (kKeep without a free entry or one of their colour).
  std::uint64_t opaqueIndex0 = 0;
  // Given palette: the farthest a changed pixel's colour moved, squared, in
  // OKLab's whole numbers (colour::Distance words it).
  std::int64_t farthestSquared = 0;
  // Given palette: opaque pixels of the colour the palette holds only at
  // index 0; they took the nearest other entry.
  std::uint64_t onlyAtIndex0 = 0;
};

class PictureMapper {
 public:
  // A palette file's entries (those it gave, at most 256) as the target: each
  // opaque colour takes its exact entry (an indexed picture's own where it
  // has that colour), else its nearest in OKLab through `dither`. Throws
  // InvalidArgumentError for a threshold outside 1 to 255.
  static PictureMapper ForGivenPalette(const formats::PaletteFile& file, AlphaRule rule = {},
                                       colour::Dither dither = colour::Dither::kNone);
  // The colours chosen for the run (at most 255) at indexes 1, 2, 3 …, the
  // target as a palette file's are; index 0 is no colour of the pictures.
  static PictureMapper ForChosenColours(const std::vector<colour::Rgb>& chosen, AlphaRule rule,
                                        colour::Dither dither);
  // A built palette of no colours yet, that grows as Map meets them.
  static PictureMapper Building(AlphaRule rule = {});
  // The palette indexed pictures share: `shared` (1 to 256 entries), whose
  // see-through index trades places with 0, and whose opaque colour 0 moves
  // as `rule` says when it has none.
  static PictureMapper Shared(const std::vector<formats::PngColour>& shared,
                              std::optional<std::uint8_t> seeThrough, AlphaRule rule);
  // A built palette of `colours` (at most 255) at indexes 1, 2, 3 …; when
  // `growing`, it takes in the colours Map meets after them.
  static PictureMapper Built(const std::vector<formats::PngColour>& colours, bool growing,
                             AlphaRule rule);

  PictureMapper(PictureMapper&&) noexcept;
  PictureMapper& operator=(PictureMapper&&) noexcept;
  ~PictureMapper();

  PaletteOrigin Origin() const;
  // 1024 bytes in archive order (red, green, blue, 0).
  const Bytes& Palette() const;
  // Shared palette: the see-through index that traded places with 0, to be logged.
  std::optional<std::uint8_t> SwappedIndex() const;
  // Shared palette, kKeep: where the pixels of the opaque colour 0 go, to be logged.
  std::optional<Index0Place> MovedIndex0() const;

  // The picture's indexes in the palette. Throws FaultError naming `name` and
  // the pixel for a partial alpha the rule refuses, and for a picture that does
  // not match what the first pass saw of it (it changed in between). A built
  // palette that grows (TargetPaletteBuilder::AddPalette) takes in the
  // picture's new colours; when they are more than its entries hold it throws
  // FaultError (kTooManyColours) with the count of every colour met, this
  // picture's and those before, and after that it maps nothing more but
  // counts, throwing again with the count so far.
  MappedPicture Map(std::string_view name, formats::PngPicture picture);

 private:
  struct State;
  explicit PictureMapper(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace sprite::pipeline
