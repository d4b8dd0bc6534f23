// The opaque colours of a run's pictures and how many pixels have each, in
// memory bounded by the number of bins, never by the number of pictures.
//
// Each bin keeps its pixel count, the sums of its pixels' red, green and blue
// (so a bin of several colours knows their mean) and its owner: the one
// picture all its pixels come from, or none once a second picture brings it.
// Up to kMostBins bins each colour has its own. Past that, every colour's low
// bits are dropped alike, one bit a step, until the bins fit again; the
// number of steps depends only on the colours, not on the order they came in.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "colour/oklab.h"

namespace sprite::colour {

class ColourHistogram {
 public:
  static constexpr std::size_t kMostBins = std::size_t{1} << 16;

  struct Bin {
    Rgb mean;
    std::uint64_t pixels = 0;
    friend bool operator==(const Bin&, const Bin&) = default;
  };
  struct OwnColours {
    std::uint32_t picture = 0;
    std::uint64_t colours = 0;
    friend bool operator==(const OwnColours&, const OwnColours&) = default;
  };

  // `mostBins` below kMostBins is for tests of the merging.
  explicit ColourHistogram(std::size_t mostBins = kMostBins);

  // `count` pixels of `colour` in picture number `picture` (numbered by the caller).
  void Add(std::uint32_t picture, Rgb colour, std::uint64_t count = 1);
  // Every pixel of RGBA pixels whose alpha is `opaqueFrom` (1 to 255) or above.
  void AddPixels(std::uint32_t picture, std::span<const std::uint8_t> rgba,
                 std::uint8_t opaqueFrom);

  // Distinct colours, exact while no bits were dropped; bins after that.
  std::uint64_t Colours() const { return tallies_.size(); }
  int DroppedBits() const { return droppedBits_; }

  // The bins in the order of their colours, whatever order the pixels came in.
  std::vector<Bin> Bins() const;
  // Up to `most` pictures with the most colours no other picture has, most
  // first (ties: the lower number). Counted over the bins, so memory stays
  // that of the bins.
  std::vector<OwnColours> MostOwnColours(std::size_t most) const;

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  static constexpr std::uint32_t kShared = 0xFFFFFFFF;

  // A bin: its key, its owner, how many pixels, and the sums of their red,
  // green and blue.
  struct Tally {
    std::uint32_t key = kEmpty;
    std::uint32_t owner = kShared;
    std::uint64_t pixels = 0;
    std::uint64_t sums[3] = {0, 0, 0};
  };
  // A slot of the table that finds a bin by its key: the key, and the bin's
  // place among the tallies.
  struct Slot {
    std::uint32_t key = kEmpty;
    std::uint32_t bin = 0;
  };

  // The slot of `key`'s bin, or the empty slot where it would go.
  std::size_t Find(std::uint32_t key) const;
  // Takes in pixels of one bin, then grows the table or drops a bit as needed.
  void Put(const Tally& pixels);
  // Adds to the bin of the same key, or starts a bin after the others.
  void Merge(const Tally& from);
  static void Combine(Tally& to, const Tally& from);
  // Finds the bins again through a table of `slots`, with the bits dropped
  // now, merging those whose keys became one.
  void Refill(std::size_t slots);
  // A bin of a picture, gathered before it is put: 32-bit sums, a quarter of a
  // Tally's size, so that the gathered table stays near the processor. A
  // picture's bins are put at least every kMostGathered pixels, before a sum
  // could pass 2^32.
  struct Small {
    std::uint32_t pixels = 0;
    std::uint32_t sums[3] = {0, 0, 0};
  };
  static constexpr std::size_t kMostGathered = std::size_t{1} << 24;

  // Puts the picture's gathered bins and empties their table.
  void PutGathered(std::uint32_t picture);

  std::size_t mostBins_;
  int droppedBits_ = 0;
  // The bins one after another, so that a table grown finds them again
  // without moving them, and memory is used only as bins come; and the table
  // of slots that finds them, small enough to stay near the processor.
  std::vector<Tally> tallies_;
  std::vector<Slot> slots_;
  // A picture's bins, gathered in a table near the processor, so that the
  // run's table sees each of them once a picture rather than once a run of
  // pixels; and the slots they use.
  std::vector<std::uint32_t> gatheredKeys_;
  std::vector<Small> gatheredTallies_;
  std::vector<std::uint32_t> gatheredSlots_;
};

}  // namespace sprite::colour
