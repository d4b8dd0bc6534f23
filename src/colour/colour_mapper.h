// A picture's colours in a palette.
//
// An opaque pixel whose colour the palette holds takes that entry (the lowest
// index of that colour past 0), whatever the dithering, so art drawn in the
// palette comes through byte for byte. Any other opaque colour takes its
// nearest entry in OKLab, through the chosen dithering. See-through pixels take
// index 0, which no opaque pixel ever takes. A mapper remembers the colours it
// met lately, so that a colour seen again costs one probe.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "colour/dither.h"
#include "colour/nearest_search.h"
#include "colour/oklab.h"

namespace sprite::colour {

// Red, green, blue and alpha a pixel, top row first, no padding.
struct RgbaPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::span<const std::uint8_t> rgba;
};

// What a mapping changed: the opaque pixels whose colour the palette does not
// hold, and the farthest any of them moved.
struct MapReport {
  std::uint64_t moved = 0;
  std::int64_t largestSquared = 0;
  // In OKLab units: black to white is 1.
  double LargestDistance() const { return Distance(largestSquared); }
};

class ColourMapper {
 public:
  // The palette's entries in index order, 2 to 256 of them; entry 0 is the
  // see-through colour. Throws InvalidArgumentError for fewer or more.
  explicit ColourMapper(std::span<const Rgb> palette);

  // The lowest entry past 0 of exactly this colour.
  std::optional<std::uint8_t> Exact(Rgb colour) const;
  // The entry an opaque pixel of `colour` takes without dithering.
  std::uint8_t Nearest(Rgb colour);

  // Writes the picture's indexes to `indexes` (width × height bytes), which
  // may be the start of picture.rgba itself: an index is written only over
  // bytes already read. A pixel whose alpha is below `opaqueFrom` (1 to 255)
  // is see-through: it takes index 0, and gives and takes no dithering error.
  // Throws InvalidArgumentError for buffers too small or `opaqueFrom` 0.
  MapReport Map(const RgbaPicture& picture, std::uint8_t opaqueFrom, Dither dither,
                std::span<std::uint8_t> indexes);

 private:
  // What the mapper knows of a colour met: its OKLab value at once; whether
  // the palette holds it, and its nearest entries, when a mapping first needs
  // them.
  struct Known {
    std::uint32_t key = kEmpty;
    Lab lab;
    bool exactChecked = false;
    bool exact = false;
    bool searched = false;
    // Ordered dithering: the second entry of the pair, and in how many of the
    // pattern's 64 cells it is taken.
    bool paired = false;
    std::uint8_t nearest = 0;
    std::uint8_t other = 0;
    std::uint8_t mix = 0;
    std::int64_t nearestSquared = 0;
    std::int64_t otherSquared = 0;
  };
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  static constexpr int kExactBits = 10;
  static constexpr std::size_t kExactSlots = std::size_t{1} << kExactBits;
  // Colours met, one slot each by their hash: small enough to stay near the
  // processor, and more than a sprite's own colours.
  static constexpr int kMetBits = 12;

  // Fibonacci hashing: the top `bits` bits of the product, which every bit
  // of the key stirs.
  static std::size_t SlotOf(std::uint32_t key, int bits) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits));
  }
  // The slot of `key` among the colours met, which it takes if another
  // colour has it; inline, as mappings call it for every change of colour.
  Known& Find(std::uint32_t key) {
    Known& known = met_[SlotOf(key, kMetBits)];
    if (known.key != key) {
      Meet(known, key);
    }
    return known;
  }
  void Meet(Known& known, std::uint32_t key);
  void CheckExact(Known& known) const;
  // Searches the nearest entry of a colour not searched yet.
  void Search(Known& known);
  void Pair(Known& known);
  // Without dithering, or with the ordered pattern.
  template <bool kOrdered>
  void MapPlain(const RgbaPicture& picture, std::uint8_t opaqueFrom, std::uint8_t* indexes,
                MapReport& report);
  // Searches the entry nearest the middle of dithering's step number `step`,
  // and of each other step of its brick, and remembers them.
  std::uint8_t NearestInStep(std::size_t step);
  void MapDiffused(const RgbaPicture& picture, std::uint8_t opaqueFrom, std::uint8_t* indexes,
                   MapReport& report);

  NearestSearch search_;
  // The palette's own colours by hash, each with its lowest entry past 0.
  std::array<std::uint32_t, kExactSlots> exactKeys_;
  std::array<std::uint8_t, kExactSlots> exactEntries_{};
  // Colours met lately, one slot each by their hash.
  std::vector<Known> met_;
  // Each step's nearest entry once searched (dithering), made when first needed.
  static constexpr std::uint8_t kUnsearched = 0;
  std::vector<std::uint8_t> stepNearest_;
  // The palette's points counted from the corner of the steps (dithering).
  std::vector<Lab> stepPoints_;
};

}  // namespace sprite::colour
