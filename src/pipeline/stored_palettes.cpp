#include "pipeline/stored_palettes.h"

namespace sprite::pipeline {

void StoredPalettes::Add(std::size_t listIndex, const Bytes& palette) {
  // A new palette gets the next id; one seen before keeps its id.
  const std::size_t id = ids_.try_emplace(palette, ids_.size()).first->second;
  pictures_.emplace_back(listIndex, id);
}

void StoredPalettes::AddOnTarget(std::size_t listIndex) {
  pictures_.emplace_back(listIndex, kOnTarget);
}

std::vector<std::size_t> StoredPalettes::DifferingFromLast(const Bytes& targetPalette) const {
  std::vector<std::size_t> differing;
  if (pictures_.empty()) {
    return differing;
  }
  // The target palette is one more palette, equal to a picture's own or not.
  const auto found = ids_.find(targetPalette);
  const std::size_t targetId = found != ids_.end() ? found->second : kOnTarget;
  const auto idOf = [&](std::size_t id) { return id == kOnTarget ? targetId : id; };
  const std::size_t last = idOf(pictures_.back().second);
  for (const auto& [listIndex, id] : pictures_) {
    if (idOf(id) != last) {
      differing.push_back(listIndex);
    }
  }
  return differing;
}

}  // namespace sprite::pipeline
