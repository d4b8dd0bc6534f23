#include "pipeline/stored_palettes.h"

namespace sprite::pipeline {

void StoredPalettes::Add(std::size_t listIndex, const Bytes& palette) {
  // A new palette gets the next id; one seen before keeps its id.
  const std::uint32_t id =
      ids_.try_emplace(palette, static_cast<std::uint32_t>(ids_.size())).first->second;
  pictures_.push_back({static_cast<std::uint32_t>(listIndex), id});
}

void StoredPalettes::AddOnTarget(std::size_t listIndex) {
  pictures_.push_back({static_cast<std::uint32_t>(listIndex), kOnTarget});
}

std::vector<std::size_t> StoredPalettes::DifferingFromLast(const Bytes& targetPalette) const {
  std::vector<std::size_t> differing;
  if (pictures_.empty()) {
    return differing;
  }
  // The target palette is one more palette, equal to a picture's own or not.
  const auto found = ids_.find(targetPalette);
  const std::uint32_t targetId = found != ids_.end() ? found->second : kOnTarget;
  const auto idOf = [&](std::uint32_t id) { return id == kOnTarget ? targetId : id; };
  const std::uint32_t last = idOf(pictures_.back().palette);
  for (const Stored& picture : pictures_) {
    if (idOf(picture.palette) != last) {
      differing.push_back(picture.listIndex);
    }
  }
  return differing;
}

}  // namespace sprite::pipeline
