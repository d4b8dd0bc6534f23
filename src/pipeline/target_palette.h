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
//   (the lowest index of equal colour), else the nearest, never index 0.
// See-through pixels (as AlphaRule says) are index 0 in built and given palettes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "formats/palette_file.h"
#include "formats/png_picture.h"
#include "pipeline/indexed_image.h"
#include "pipeline/opaque_index0.h"

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

// The distance for the nearest colour: the "redmean" weighted Euclidean
// distance, scaled to whole numbers (× 512, squared):
// (1024 + r1 + r2)·Δr² + 2048·Δg² + (1534 − r1 − r2)·Δb².
// It weighs green most and red or blue by how red the pair is, closer to what
// the eye sees than plain RGB distance. Ties go to the lowest index.
std::int64_t ColourDistance(std::uint8_t r1, std::uint8_t g1, std::uint8_t b1, std::uint8_t r2,
                            std::uint8_t g2, std::uint8_t b2);

struct MappedPicture {
  IndexedImage image;
  // Given palette: opaque pixels whose colour has no exact entry.
  std::uint64_t changedPixels = 0;
  // Shared palette without a see-through index: the pixels of the opaque
  // colour 0 that are see-through in the archive (kSay), or that took the
  // nearest colour (kKeep without a free entry or one of their colour).
  std::uint64_t opaqueIndex0 = 0;
};

class PictureMapper {
 public:
  // A palette file's entries (those it gave, at most 256) as the target.
  // Throws InvalidArgumentError for a threshold outside 1 to 255.
  static PictureMapper ForGivenPalette(const formats::PaletteFile& file, AlphaRule rule = {});
  // A built palette of no colours yet, that grows as Map meets them.
  static PictureMapper Building(AlphaRule rule = {});

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

  struct State;

 private:
  explicit PictureMapper(std::unique_ptr<State> state);
  friend class TargetPaletteBuilder;
  std::unique_ptr<State> state_;
};

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
