#include "colour/colour_mapper.h"

#include <algorithm>
#include <array>
#include <bit>

#include "common/error.h"

namespace sprite::colour {

namespace {

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

}  // namespace

ColourMapper::ColourMapper(std::span<const Rgb> palette)
    : search_(LabsOf(palette), 1), met_(std::size_t{1} << kMetBits) {
  exactKeys_.fill(kEmpty);
  for (std::size_t i = 1; i < palette.size(); ++i) {
    const std::uint32_t key = KeyOf(palette[i]);
    std::size_t slot = SlotOf(key, kExactBits);
    while (exactKeys_[slot] != kEmpty && exactKeys_[slot] != key) {
      slot = (slot + 1) % kExactSlots;
    }
    // The first entry of a colour keeps its slot: the lowest index.
    if (exactKeys_[slot] == kEmpty) {
      exactKeys_[slot] = key;
      exactEntries_[slot] = static_cast<std::uint8_t>(i);
    }
  }
}

std::optional<std::uint8_t> ColourMapper::Exact(Rgb colour) const {
  const std::uint32_t key = KeyOf(colour);
  for (std::size_t slot = SlotOf(key, kExactBits); exactKeys_[slot] != kEmpty;
       slot = (slot + 1) % kExactSlots) {
    if (exactKeys_[slot] == key) {
      return exactEntries_[slot];
    }
  }
  return std::nullopt;
}

std::uint8_t ColourMapper::Nearest(Rgb colour) {
  Known& known = Find(KeyOf(colour));
  if (!known.searched) {
    Search(known);
  }
  return known.nearest;
}

void ColourMapper::Meet(Known& known, std::uint32_t key) {
  // A colour takes the slot of the one met there before.
  known = Known{};
  known.key = key;
  known.lab = ToOklab(RgbOfKey(key));
}

void ColourMapper::CheckExact(Known& known) const {
  if (!known.exactChecked) {
    known.exactChecked = true;
    if (const auto exact = Exact(RgbOfKey(known.key))) {
      known.nearest = *exact;
      known.nearestSquared = 0;
      known.exact = true;
      known.searched = true;
    }
  }
}

void ColourMapper::Search(Known& known) {
  known.searched = true;
  known.nearest = static_cast<std::uint8_t>(search_.Nearest(known.lab));
  known.nearestSquared = SquaredDistance(known.lab, search_.Point(known.nearest));
  // Only a colour at no distance from its nearest entry can be one of the
  // palette's own, so most colours skip the look-up of exact entries.
  if (known.nearestSquared == 0) {
    CheckExact(known);
  } else {
    known.exactChecked = true;
  }
}

// The pair a colour between two entries is mixed from: its nearest entry a
// and the next nearest b, with b taken in as many of the 64 cells as the
// colour's place along a→b says (its projection, 0 to 1). A colour past a on
// the far side from b takes a alone, and so does any colour when the palette
// has one entry.
void ColourMapper::Pair(Known& known) {
  known.paired = true;
  CheckExact(known);
  if (known.exact) {
    known.other = known.nearest;
    return;
  }
  const auto [nearest, other] = search_.NearestTwo(known.lab);
  const Lab& a = search_.Point(nearest);
  const Lab& b = search_.Point(other);
  known.searched = true;
  known.nearest = static_cast<std::uint8_t>(nearest);
  known.nearestSquared = SquaredDistance(known.lab, a);
  known.other = known.nearest;
  known.otherSquared = known.nearestSquared;
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
  } else if (dither == Dither::kOrdered) {
    MapPlain<true>(picture, opaqueFrom, indexes.data(), report);
  } else {
    MapPlain<false>(picture, opaqueFrom, indexes.data(), report);
  }
  return report;
}

template <bool kOrdered>
void ColourMapper::MapPlain(const RgbaPicture& picture, std::uint8_t opaqueFrom,
                            std::uint8_t* indexes, MapReport& report) {
  const std::uint8_t* rgba = picture.rgba.data();
  // A pixel of the colour before it takes what that one knew, without a
  // probe; it stays in its slot until the next colour is found.
  std::uint32_t lastKey = kEmpty;
  const Known* last = nullptr;
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
        if (kOrdered && !known.paired) {
          Pair(known);
        } else if (!kOrdered && !known.searched) {
          Search(known);
        }
        last = &known;
        lastKey = key;
      }
      std::uint8_t index = last->nearest;
      std::int64_t squared = last->nearestSquared;
      if constexpr (kOrdered) {
        // Which of the pair a cell takes follows the pattern, which no branch
        // predicts: it is chosen with a mask, all ones for the second entry.
        const bool other = patternRow[x % 8] < last->mix;
        index = static_cast<std::uint8_t>(
            index ^ ((index ^ last->other) & static_cast<std::uint8_t>(-static_cast<int>(other))));
        squared ^= (squared ^ last->otherSquared) & -static_cast<std::int64_t>(other);
      }
      indexes[i] = index;
      if (!last->exact) {
        ++report.moved;
        report.largestSquared = std::max(report.largestSquared, squared);
      }
    }
  }
}

}  // namespace sprite::colour
