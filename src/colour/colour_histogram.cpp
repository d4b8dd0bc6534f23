#include "colour/colour_histogram.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/error.h"

namespace sprite::colour {

namespace {

constexpr std::size_t kFirstSlots = std::size_t{1} << 12;
// A picture's bins are put once half of these slots are used, and at its end.
constexpr std::size_t kGatheredSlots = std::size_t{1} << 11;

// Fibonacci hashing: the top bits of the product, which every bit of the key stirs.
std::size_t SlotOf(std::uint32_t key, std::size_t slots) {
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - std::countr_zero(slots)));
}

// The key of a colour with `bits` low bits of each component dropped.
std::uint32_t Coarse(std::uint32_t key, int bits) {
  const std::uint32_t keep = (0xFFu << bits) & 0xFFu;
  return key & (keep << 16 | keep << 8 | keep);
}

}  // namespace

ColourHistogram::ColourHistogram(std::size_t mostBins)
    : mostBins_(std::max<std::size_t>(mostBins, 1)),
      slots_(kFirstSlots),
      gatheredKeys_(kGatheredSlots, kEmpty),
      gatheredTallies_(kGatheredSlots) {
  // Room for every bin there can be before a bit is dropped, taken up only
  // as bins come.
  tallies_.reserve(std::min(mostBins_, kMostBins) + 1);
}

std::size_t ColourHistogram::Find(std::uint32_t key) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = SlotOf(key, slots_.size());
  while (slots_[at].key != key && slots_[at].key != kEmpty) {
    at = (at + 1) & mask;
  }
  return at;
}

void ColourHistogram::Combine(Tally& to, const Tally& from) {
  if (to.owner != from.owner) {
    to.owner = kShared;
  }
  to.pixels += from.pixels;
  for (std::size_t c = 0; c < 3; ++c) {
    to.sums[c] += from.sums[c];
  }
}

void ColourHistogram::Merge(const Tally& from) {
  Slot& slot = slots_[Find(from.key)];
  if (slot.key == kEmpty) {
    slot = {from.key, static_cast<std::uint32_t>(tallies_.size())};
    tallies_.push_back(from);
  } else {
    Combine(tallies_[slot.bin], from);
  }
}

void ColourHistogram::Refill(std::size_t slots) {
  // The slots are made anew from the bins alone, so the old ones are not kept.
  slots_.assign(slots, Slot{});
  // The bins are taken again in their order, each merged into an earlier one
  // or moved down to the next free place, which is never past its own.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < tallies_.size(); ++i) {
    Tally bin = tallies_[i];
    bin.key = Coarse(bin.key, droppedBits_);
    Slot& slot = slots_[Find(bin.key)];
    if (slot.key == kEmpty) {
      slot = {bin.key, static_cast<std::uint32_t>(kept)};
      tallies_[kept++] = bin;
    } else {
      Combine(tallies_[slot.bin], bin);
    }
  }
  tallies_.resize(kept);
}

void ColourHistogram::Add(std::uint32_t picture, Rgb colour, std::uint64_t count) {
  if (picture == kShared) {
    throw InvalidArgumentError("pictures are numbered below 4294967295");
  }
  Put({KeyOf(colour),
       picture,
       count,
       {colour.red * count, colour.green * count, colour.blue * count}});
}

void ColourHistogram::Put(const Tally& pixels) {
  if (pixels.pixels == 0) {
    return;
  }
  Tally bin = pixels;
  bin.key = Coarse(bin.key, droppedBits_);
  Merge(bin);
  // Half the slots at most are used: grow, or drop bits once the bins are too
  // many, and then take a table that fits the fewer bins.
  if (tallies_.size() > mostBins_) {
    while (tallies_.size() > mostBins_) {
      ++droppedBits_;
      Refill(slots_.size());
    }
    const std::size_t fits = std::max(kFirstSlots, std::bit_ceil(2 * tallies_.size() + 1));
    if (fits != slots_.size()) {
      Refill(fits);
    }
  } else if (2 * tallies_.size() > slots_.size()) {
    Refill(2 * slots_.size());
  }
}

void ColourHistogram::AddPixels(std::uint32_t picture, std::span<const std::uint8_t> rgba,
                                std::uint8_t opaqueFrom) {
  if (opaqueFrom == 0) {
    throw InvalidArgumentError("see-through is an alpha below 1 to 255");
  }
  if (picture == kShared) {
    throw InvalidArgumentError("pictures are numbered below 4294967295");
  }
  // The bits dropped when a pixel is gathered; putting its bin drops any
  // dropped since. The tables are read through locals: the tallies written
  // could otherwise be taken to change the members, and read again each pixel.
  std::uint32_t keep = Coarse(0xFFFFFF, droppedBits_);
  std::uint32_t* const keys = gatheredKeys_.data();
  Small* const tallies = gatheredTallies_.data();
  // The bins are put once half the slots are used, and before a sum could
  // pass 2^32: checked after a pixel, the first only when it took a slot.
  std::size_t left = kMostGathered;
  const std::uint8_t* const end = rgba.data() + rgba.size() / 4 * 4;
  for (const std::uint8_t* p = rgba.data(); p != end; p += 4) {
    if (p[3] < opaqueFrom) {
      continue;
    }
    const std::uint32_t key =
        (std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]}) & keep;
    std::size_t at = SlotOf(key, kGatheredSlots);
    while (keys[at] != key && keys[at] != kEmpty) {
      at = (at + 1) & (kGatheredSlots - 1);
    }
    Small& to = tallies[at];
    bool full = false;
    if (keys[at] == kEmpty) {
      keys[at] = key;
      to = {};
      gatheredSlots_.push_back(static_cast<std::uint32_t>(at));
      full = 2 * gatheredSlots_.size() >= kGatheredSlots;
    }
    ++to.pixels;
    to.sums[0] += p[0];
    to.sums[1] += p[1];
    to.sums[2] += p[2];
    if (full || --left == 0) [[unlikely]] {
      PutGathered(picture);
      keep = Coarse(0xFFFFFF, droppedBits_);
      left = kMostGathered;
    }
  }
  PutGathered(picture);
}

void ColourHistogram::PutGathered(std::uint32_t picture) {
  for (const std::uint32_t at : gatheredSlots_) {
    const Small& small = gatheredTallies_[at];
    Put({gatheredKeys_[at], picture, small.pixels, {small.sums[0], small.sums[1], small.sums[2]}});
    gatheredKeys_[at] = kEmpty;
  }
  gatheredSlots_.clear();
}

std::vector<ColourHistogram::Bin> ColourHistogram::Bins() const {
  std::vector<const Tally*> used;
  used.reserve(tallies_.size());
  for (const Tally& t : tallies_) {
    used.push_back(&t);
  }
  std::ranges::sort(used, {}, &Tally::key);
  std::vector<Bin> bins;
  bins.reserve(used.size());
  for (const Tally* t : used) {
    const auto mean = [t](std::size_t c) {
      return static_cast<std::uint8_t>((2 * t->sums[c] + t->pixels) / (2 * t->pixels));
    };
    bins.push_back({{mean(0), mean(1), mean(2)}, t->pixels});
  }
  return bins;
}

std::vector<ColourHistogram::OwnColours> ColourHistogram::MostOwnColours(std::size_t most) const {
  std::vector<std::uint32_t> owners;
  for (const Tally& t : tallies_) {
    if (t.owner != kShared) {
      owners.push_back(t.owner);
    }
  }
  std::ranges::sort(owners);
  std::vector<OwnColours> counts;
  for (std::size_t i = 0; i < owners.size();) {
    std::size_t j = i;
    while (j < owners.size() && owners[j] == owners[i]) {
      ++j;
    }
    counts.push_back({owners[i], j - i});
    i = j;
  }
  const auto order = [](const OwnColours& x, const OwnColours& y) {
    return x.colours != y.colours ? x.colours > y.colours : x.picture < y.picture;
  };
  const std::size_t kept = std::min(most, counts.size());
  std::partial_sort(counts.begin(), counts.begin() + static_cast<std::ptrdiff_t>(kept),
                    counts.end(), order);
  counts.resize(kept);
  return counts;
}

}  // namespace sprite::colour
