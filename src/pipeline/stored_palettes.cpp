#include "pipeline/stored_palettes.h"

#include <algorithm>
#include <array>

namespace sprite::pipeline {

void StoredPalettes::Add(std::size_t listIndex, const Bytes& palette) {
  // A new palette gets the next id; one seen before keeps its id.
  const std::uint32_t id =
      ids_.try_emplace(palette, static_cast<std::uint32_t>(ids_.size())).first->second;
  pictures_.push_back({static_cast<std::uint32_t>(listIndex), id, 0});
}

UsedEntries UsedEntriesOf(const Bytes& pixels) {
  // One plain store a pixel: setting bits would read back the word the
  // pixel before wrote, a wait on every pixel of a run of one entry.
  std::array<bool, 256> seen{};
  for (const std::uint8_t index : pixels) {
    seen[index] = true;
  }
  UsedEntries used;
  for (std::size_t entry = 0; entry < seen.size(); ++entry) {
    used[entry] = seen[entry];
  }
  return used;
}

void StoredPalettes::AddOnTarget(std::size_t listIndex, const UsedEntries& used) {
  pictures_.push_back(
      {static_cast<std::uint32_t>(listIndex), kOnTarget, static_cast<std::uint32_t>(used_.size())});
  used_.push_back(used);
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
  const auto lastPalette = std::ranges::find(ids_, last, [](const auto& id) { return id.second; });
  // An entry of the target palette has other colours than the last palette's.
  UsedEntries otherAtEntry;
  if (lastPalette != ids_.end() && lastPalette->first.size() == targetPalette.size()) {
    for (std::size_t byte = 0; byte < targetPalette.size(); ++byte) {
      otherAtEntry[byte / 4] =
          otherAtEntry[byte / 4] || targetPalette[byte] != lastPalette->first[byte];
    }
  } else {
    otherAtEntry.set();
  }
  for (const Stored& picture : pictures_) {
    const bool other = picture.palette == kOnTarget
                           ? idOf(kOnTarget) != last && (used_[picture.used] & otherAtEntry).any()
                           : idOf(picture.palette) != last;
    if (other) {
      differing.push_back(picture.listIndex);
    }
  }
  return differing;
}

}  // namespace sprite::pipeline
