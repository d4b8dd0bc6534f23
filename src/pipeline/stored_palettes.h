#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "common/bytes.h"

namespace sprite::pipeline {

// The palettes of the pictures one Encode run stored, to name afterwards those
// whose colours differ from the last one's: the archive keeps only the last
// palette. A palette shared by several pictures is kept once, so memory grows
// with the number of different palettes, not with the number of pictures.
class StoredPalettes {
 public:
  // `palette` in archive order, whose fourth bytes are 0: equal bytes are equal colours.
  void Add(std::size_t listIndex, const Bytes& palette);
  // A picture stored against the run's target palette, which may still grow.
  void AddOnTarget(std::size_t listIndex);
  // The list indexes of the stored pictures whose colours differ from the last
  // stored picture's, in the order they were added; `targetPalette` is the
  // finished target palette of those added with AddOnTarget.
  std::vector<std::size_t> DifferingFromLast(const Bytes& targetPalette = {}) const;

 private:
  static constexpr std::size_t kOnTarget = static_cast<std::size_t>(-1);
  std::map<Bytes, std::size_t> ids_;
  std::vector<std::pair<std::size_t, std::size_t>> pictures_;  // list index, palette id
};

}  // namespace sprite::pipeline
