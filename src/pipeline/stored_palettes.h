#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "common/bytes.h"

namespace sprite::pipeline {

// The palette entries a picture's pixels take.
using UsedEntries = std::bitset<256>;

// The entries `pixels` take.
UsedEntries UsedEntriesOf(const Bytes& pixels);

// The palettes of the pictures one Encode run stored, to name afterwards those
// whose colours differ from the last one's: the archive keeps only the last
// palette. A palette shared by several pictures is kept once, so memory grows
// with the number of different palettes, not with the number of pictures.
class StoredPalettes {
 public:
  StoredPalettes() = default;
  // Room for `pictures` stored pictures from the start, so that a long run's
  // records are never copied while they grow.
  explicit StoredPalettes(std::size_t pictures) { pictures_.reserve(pictures); }

  // `palette` in archive order, whose fourth bytes are 0: equal bytes are equal colours.
  void Add(std::size_t listIndex, const Bytes& palette);
  // A picture stored against the run's target palette, which may still grow.
  // `used`: the entries its pixels take, when known. Such a picture's colours
  // are its pixels', so it differs from the last palette only where that
  // palette has other colours at those entries; a bitmap brings its whole
  // palette back, and differs wherever the palettes do.
  void AddOnTarget(std::size_t listIndex, const UsedEntries& used = AllEntries());
  // The list indexes of the stored pictures whose colours differ from the last
  // stored picture's, in the order they were added; `targetPalette` is the
  // finished target palette of those added with AddOnTarget.
  std::vector<std::size_t> DifferingFromLast(const Bytes& targetPalette = {}) const;

 private:
  static UsedEntries AllEntries() { return UsedEntries().set(); }

  // A run lists at most 32767 pictures: 32 bits hold an index or an id.
  struct Stored {
    std::uint32_t listIndex;
    std::uint32_t palette;  // its id, or kOnTarget
    std::uint32_t used;     // on target: its entries in `used_`
  };
  static constexpr std::uint32_t kOnTarget = static_cast<std::uint32_t>(-1);
  std::map<Bytes, std::uint32_t> ids_;
  std::vector<Stored> pictures_;
  std::vector<UsedEntries> used_;
};

}  // namespace sprite::pipeline
