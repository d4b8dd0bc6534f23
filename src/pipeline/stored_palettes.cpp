#include "pipeline/stored_palettes.h"

namespace sprite::pipeline {

void StoredPalettes::Add(std::size_t listIndex, const Bytes& palette) {
  // A new palette gets the next id; one seen before keeps its id.
  const std::size_t id = ids_.try_emplace(palette, ids_.size()).first->second;
  pictures_.emplace_back(listIndex, id);
}

std::vector<std::size_t> StoredPalettes::DifferingFromLast() const {
  std::vector<std::size_t> differing;
  if (pictures_.empty()) {
    return differing;
  }
  const std::size_t last = pictures_.back().second;
  for (const auto& [listIndex, id] : pictures_) {
    if (id != last) {
      differing.push_back(listIndex);
    }
  }
  return differing;
}

}  // namespace sprite::pipeline
