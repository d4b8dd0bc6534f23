#include "colour/colour_mapper.h"

#include <algorithm>
#include <array>

#include "common/error.h"

namespace sprite::colour {

namespace {

constexpr std::size_t kFirstSlots = std::size_t{1} << 12;
// 2^20 colours met, 40 MiB, before the mapper forgets them and starts again.
constexpr std::size_t kMostSlots = std::size_t{1} << 21;

// The 8×8 Bayer matrix: cell (x, y) holds its place 0 to 63 in the pattern.
constexpr std::array<std::array<std::uint8_t, 8>, 8> kBayer = {{
    {0, 32, 8, 40, 2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
}};
constexpr int kPatternCells = 64;

std::vector<Lab> LabsOf(std::span<const Rgb> palette) {
  if (palette.size() < 2 || palette.size() > 256) {
    throw InvalidArgumentError("a palette to map into has 2 to 256 entries, not " +
                               std::to_string(palette.size()));
  }
  std::vector<Lab> labs;
  labs.reserve(palette.size());
  for (const Rgb& c : palette) {
    labs.push_back(ToOklab(c));
  }
  return labs;
}

std::size_t Slot(std::uint32_t key, std::size_t slots) {
  return (key * 2654435761u) & (slots - 1);
}

}  // namespace

ColourMapper::ColourMapper(std::span<const Rgb> palette)
    : search_(LabsOf(palette), 1), met_(kFirstSlots) {
  for (std::size_t i = 1; i < palette.size(); ++i) {
    exact_.emplace_back(KeyOf(palette[i]), static_cast<std::uint8_t>(i));
  }
  // Sorted by colour, then index, so that the first of a colour is its lowest entry.
  std::ranges::sort(exact_);
  const auto [first, last] =
      std::ranges::unique(exact_, {}, &std::pair<std::uint32_t, std::uint8_t>::first);
  exact_.erase(first, last);
}

std::optional<std::uint8_t> ColourMapper::Exact(Rgb colour) const {
  const std::uint32_t key = KeyOf(colour);
  const auto at =
      std::ranges::lower_bound(exact_, key, {}, &std::pair<std::uint32_t, std::uint8_t>::first);
  if (at == exact_.end() || at->first != key) {
    return std::nullopt;
  }
  return at->second;
}

std::uint8_t ColourMapper::Nearest(Rgb colour) {
  return Find(KeyOf(colour)).nearest;
}

ColourMapper::Known& ColourMapper::Find(std::uint32_t key) {
  std::size_t slot = Slot(key, met_.size());
  while (met_[slot].key != key && met_[slot].key != kEmpty) {
    slot = (slot + 1) & (met_.size() - 1);
  }
  if (met_[slot].key == key) {
    return met_[slot];
  }
  if (2 * (metCount_ + 1) > met_.size()) {
    // Grown, or at the bound forgotten: either way a table of the new size.
    std::vector<Known> old(met_.size() < kMostSlots ? 2 * met_.size() : met_.size());
    old.swap(met_);
    metCount_ = 0;
    if (met_.size() > old.size()) {
      for (const Known& k : old) {
        if (k.key != kEmpty) {
          std::size_t s = Slot(k.key, met_.size());
          while (met_[s].key != kEmpty) {
            s = (s + 1) & (met_.size() - 1);
          }
          met_[s] = k;
          ++metCount_;
        }
      }
    }
    return Find(key);
  }
  Known& known = met_[slot];
  ++metCount_;
  known.key = key;
  known.lab = ToOklab(RgbOfKey(key));
  if (const auto exact = Exact(RgbOfKey(key))) {
    known.nearest = *exact;
    known.exact = true;
  } else {
    known.nearest = static_cast<std::uint8_t>(search_.Nearest(known.lab));
    known.nearestSquared = SquaredDistance(known.lab, search_.Point(known.nearest));
  }
  return known;
}

// The pair a colour between two entries is mixed from: its nearest entry a
// and the next nearest b, with b taken in as many of the 64 cells as the
// colour's place along a→b says (its projection, 0 to 1). A colour past a on
// the far side from b takes a alone, and so does any colour when the palette
// has one entry.
void ColourMapper::Pair(Known& known) {
  known.paired = true;
  known.other = known.nearest;
  known.otherSquared = known.nearestSquared;
  if (known.exact) {
    return;
  }
  const std::size_t other = search_.NearestOther(known.lab, known.nearest);
  if (other == known.nearest) {
    return;
  }
  const Lab& a = search_.Point(known.nearest);
  const Lab& b = search_.Point(other);
  const std::int64_t dl = b.l - a.l, da = b.a - a.a, db = b.b - a.b;
  const std::int64_t along =
      dl * (known.lab.l - a.l) + da * (known.lab.a - a.a) + db * (known.lab.b - a.b);
  const std::int64_t length = dl * dl + da * da + db * db;
  if (along <= 0 || length == 0) {
    return;
  }
  // Cell k (0 to 63) takes b when its threshold (k + ½) / 64 lies below the
  // projection along / length.
  const std::int64_t cells = (2 * kPatternCells * along + length - 1) / (2 * length);
  known.mix = static_cast<std::uint8_t>(std::min<std::int64_t>(cells, kPatternCells));
  known.other = static_cast<std::uint8_t>(other);
  known.otherSquared = SquaredDistance(known.lab, b);
}

MapReport ColourMapper::Map(const RgbaPicture& picture, std::uint8_t opaqueFrom, Dither dither,
                            std::span<std::uint8_t> indexes) {
  const std::size_t count = std::size_t{picture.width} * picture.height;
  if (opaqueFrom == 0 || picture.rgba.size() < 4 * count || indexes.size() < count) {
    throw InvalidArgumentError(
        "a picture is mapped from 4 bytes a pixel into 1, with a see-through alpha below 1 to "
        "255");
  }
  MapReport report;
  if (dither == Dither::kFloydSteinberg) {
    MapDiffused(picture, opaqueFrom, indexes.data(), report);
  } else {
    MapPlain(picture, opaqueFrom, dither == Dither::kOrdered, indexes.data(), report);
  }
  return report;
}

void ColourMapper::MapPlain(const RgbaPicture& picture, std::uint8_t opaqueFrom, bool ordered,
                            std::uint8_t* indexes, MapReport& report) {
  const std::uint8_t* rgba = picture.rgba.data();
  // A pixel of the colour before it takes what that one knew, without a probe.
  std::uint32_t lastKey = kEmpty;
  Known last;
  std::size_t i = 0;
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    const auto& patternRow = kBayer[y % 8];
    for (std::uint32_t x = 0; x < picture.width; ++x, ++i) {
      const std::uint8_t* p = rgba + 4 * i;
      if (p[3] < opaqueFrom) {
        indexes[i] = 0;
        continue;
      }
      const std::uint32_t key = std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
      if (key != lastKey) {
        Known& known = Find(key);
        if (ordered && !known.paired) {
          Pair(known);
        }
        last = known;
        lastKey = key;
      }
      const bool other = ordered && patternRow[x % 8] < last.mix;
      indexes[i] = other ? last.other : last.nearest;
      if (!last.exact) {
        ++report.moved;
        report.largestSquared =
            std::max(report.largestSquared, other ? last.otherSquared : last.nearestSquared);
      }
    }
  }
}

}  // namespace sprite::colour
