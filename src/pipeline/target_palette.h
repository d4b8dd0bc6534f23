// The palette PNG pictures are stored against, and each picture's indexes in it.
//
// A run reads its PNG pictures twice, so that memory stays that of one picture:
// first every picture goes to a TargetPaletteBuilder (or the run has a palette
// file), then Finish gives a PictureMapper that turns each picture, read again,
// into indexes. The palette is one of three:
// - shared: every picture is an indexed PNG, their PLTEs agree entry for entry
//   where both have one, and they name the same see-through index (the one
//   tRNS entry of alpha 0, or none; other alphas must be 255); a picture whose
//   PLTE stops before the see-through index of another agrees with it. Indexes and
//   palette are kept, padded with black to 256; a see-through index k other
//   than 0 trades places with 0, in the palette and in the pixels.
// - built: otherwise. Index 0 is the see-through colour (black); the distinct
//   opaque colours of all pictures, in list order and row by row, take 1, 2, 3
//   … so an opaque colour is never index 0. More than 255 is refused.
// - given: a palette file's entries; each opaque colour takes the exact entry
//   (the lowest index of equal colour; an indexed picture's pixel keeps its
//   own index where that entry has its colour), else the nearest, never
//   index 0.
// See-through pixels (as AlphaRule says) are index 0 in built and given palettes.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "formats/png_picture.h"
#include "pipeline/palette_rules.h"
#include "pipeline/picture_mapper.h"

namespace sprite::pipeline {

class TargetPaletteBuilder {
 public:
  // Throws InvalidArgumentError for a threshold outside 1 to 255.
  explicit TargetPaletteBuilder(AlphaRule rule = {});
  TargetPaletteBuilder(TargetPaletteBuilder&&) noexcept;
  ~TargetPaletteBuilder();

  // The run's next PNG picture, in list order. Throws FaultError naming
  // `name` and the first pixel of a partial alpha the rule refuses; such a
  // picture is not added.
  void Add(std::string_view name, const formats::PngPicture& picture);
  // The run's next PNG picture known by its palette alone (ReadPngColours), so
  // that a first pass need not decode any pixels. A run uses this or Add for
  // all of its pictures: when the palette is not shared, the built one then
  // grows in the mapper's pass, each colour taking the next index as Map first
  // meets it, which, the pictures being mapped in list order, is the index
  // the whole pass would have given it.
  void AddPalette(const formats::PngColours& colours);
  // The pictures added so far share one palette.
  bool Shared() const;
  std::size_t Count() const;

  // The palette of the pictures added. Throws FaultError naming the count
  // when a built palette would need more than 255 opaque colours, and
  // InvalidArgumentError when no picture was added.
  PictureMapper Finish() const;

 private:
  struct Pass;
  std::unique_ptr<Pass> pass_;
};

}  // namespace sprite::pipeline
