#include "pipeline/target_palette.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

#include "common/error.h"

namespace sprite::pipeline {

namespace {

using formats::PngColour;
using formats::PngForm;
using formats::PngPicture;

constexpr std::size_t kEntries = 256;
// Index 0 is the see-through colour; the rest hold opaque colours.
constexpr std::size_t kMaxOpaqueColours = kEntries - 1;
// Colours looked up by nearest distance are remembered up to this many, then forgotten.
constexpr std::size_t kMaxRemembered = 1u << 16;

std::string Text(std::uint64_t value) {
  return std::to_string(value);
}

std::uint32_t Key(const PngColour& c) {
  return std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 | c.blue;
}

// "(x, y)" of pixel `i` of a picture `width` wide.
std::string Position(std::size_t i, std::uint32_t width) {
  return "(" + Text(i % width) + ", " + Text(i / width) + ")";
}

[[noreturn]] void Changed(std::string_view name, std::string what) {
  throw FaultError(
      {.kind = FaultKind::kPictureChanged, .path = std::string(name), .text = std::move(what)});
}

AlphaRule Checked(AlphaRule rule) {
  if (rule.threshold && (*rule.threshold < 1 || *rule.threshold > 255)) {
    throw InvalidArgumentError("an alpha threshold is a whole number from 1 to 255, not " +
                               std::to_string(*rule.threshold));
  }
  return rule;
}

// True for a see-through pixel, false for an opaque one; pixel `i` of a picture
// `width` wide names the place of a partial alpha the rule refuses.
bool IsSeeThrough(std::uint8_t alpha, const AlphaRule& rule, std::string_view name, std::size_t i,
                  std::uint32_t width) {
  if (rule.threshold) {
    return alpha < *rule.threshold;
  }
  if (alpha == 0 || alpha == 255) {
    return alpha == 0;
  }
  throw FaultError({.kind = FaultKind::kPartialAlpha,
                    .path = std::string(name),
                    .value = alpha,
                    .text = Position(i, width)});
}

// The colour of pixel `i`, counted row by row.
PngColour ColourOf(const PngPicture& picture, std::size_t i) {
  if (picture.form == PngForm::kIndexed) {
    return picture.palette[picture.pixels[i]];
  }
  const std::uint8_t* p = picture.pixels.data() + 4 * i;
  return {p[0], p[1], p[2], p[3]};
}

// Refuses a picture with a partial alpha the rule does not place before any of
// its colours is taken in, so that a refused picture leaves nothing behind.
void CheckAlphas(const AlphaRule& rule, std::string_view name, const PngPicture& picture) {
  if (rule.threshold) {
    return;
  }
  const auto partial = [](std::uint8_t alpha) { return alpha != 0 && alpha != 255; };
  if (picture.form == PngForm::kIndexed &&
      std::ranges::none_of(picture.palette, partial, &PngColour::alpha)) {
    return;
  }
  const std::size_t count = std::size_t{picture.width} * picture.height;
  const auto alphaOf = [&](std::size_t i) {
    return picture.form == PngForm::kIndexed ? picture.palette[picture.pixels[i]].alpha
                                             : picture.pixels[4 * i + 3];
  };
  // Whether any alpha is partial, before the first one is looked for: the
  // reader says so; a picture from elsewhere is looked at in full.
  const bool anyPartial =
      picture.form == PngForm::kIndexed ||
      (picture.partialAlpha ? *picture.partialAlpha : formats::AnyPartialAlpha(picture.pixels));
  for (std::size_t i = 0; anyPartial && i < count; ++i) {
    if (partial(alphaOf(i))) {
      IsSeeThrough(alphaOf(i), rule, name, i, picture.width);
    }
  }
}

// The see-through index of a PLTE with tRNS alphas: nothing when its alphas
// are all 255, the index of its one alpha 0; no answer at all (not shareable)
// for a partial alpha or more than one alpha 0.
std::optional<std::optional<std::uint8_t>> SeeThroughIndex(const std::vector<PngColour>& plte) {
  std::optional<std::uint8_t> found;
  for (std::size_t i = 0; i < plte.size(); ++i) {
    if (plte[i].alpha == 255) {
      continue;
    }
    if (plte[i].alpha != 0 || found) {
      return std::nullopt;
    }
    found = static_cast<std::uint8_t>(i);
  }
  return found;
}

// Whether a picture whose see-through index is `own`, over a PLTE of `size`
// entries, agrees with the set's, `set`, over PLTEs of at most `setSize`
// entries. A picture without entry k says nothing of it.
bool SeeThroughAgrees(std::optional<std::uint8_t> own, std::size_t size,
                      std::optional<std::uint8_t> set, std::size_t setSize) {
  if (own == set) {
    return true;
  }
  if (!own) {
    return *set >= size;
  }
  return !set && *own >= setSize;
}

bool SameColour(const PngColour& a, const PngColour& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// Two PLTEs agree when every entry both have is the same colour.
bool Agree(const std::vector<PngColour>& a, const std::vector<PngColour>& b) {
  const std::size_t both = std::min(a.size(), b.size());
  return std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(both), b.begin(),
                    SameColour);
}

// Colour to index for at most 255 colours, open addressing.
class ColourIndex {
 public:
  ColourIndex() { keys_.fill(kEmpty); }

  // Keeps the index a colour was first given.
  void Insert(std::uint32_t key, std::uint8_t index) {
    std::size_t slot = Slot(key);
    while (keys_[slot] != kEmpty && keys_[slot] != key) {
      slot = (slot + 1) % kSlots;
    }
    if (keys_[slot] == kEmpty) {
      keys_[slot] = key;
      values_[slot] = index;
    }
  }

  std::optional<std::uint8_t> Find(std::uint32_t key) const {
    for (std::size_t slot = Slot(key); keys_[slot] != kEmpty; slot = (slot + 1) % kSlots) {
      if (keys_[slot] == key) {
        return values_[slot];
      }
    }
    return std::nullopt;
  }

 private:
  static constexpr std::size_t kSlots = 1024;  // under a quarter full
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  static std::size_t Slot(std::uint32_t key) { return (key * 2654435761u >> 16) % kSlots; }
  std::array<std::uint32_t, kSlots> keys_{};
  std::array<std::uint8_t, kSlots> values_{};
};

// The alpha byte of an RGBA pixel's four bytes read as one word.
constexpr std::uint32_t kAlphaOfWord =
    std::endian::native == std::endian::little ? 0xFF000000u : 0x000000FFu;

// The index of RGBA colours met lately, by their four bytes as one word, with
// whether a given palette changed them (0x100), so that a picture of many
// colours takes one probe a pixel. An index, once given, never changes.
class RecentColours {
 public:
  static constexpr std::uint16_t kMissing = 0xFFFF;

  RecentColours() { words_.fill(0); }

  std::uint16_t Find(std::uint32_t word) const {
    const std::size_t slot = Slot(word);
    return words_[slot] == word ? values_[slot] : kMissing;
  }
  // A colour that takes the slot of another forgets that one.
  void Put(std::uint32_t word, std::uint16_t value) {
    const std::size_t slot = Slot(word);
    words_[slot] = word;
    values_[slot] = value;
  }

 private:
  static constexpr unsigned kBits = 12;  // 16 slots a colour of a full palette
  static std::size_t Slot(std::uint32_t word) { return word * 2654435761u >> (32 - kBits); }
  std::array<std::uint32_t, std::size_t{1} << kBits> words_;
  std::array<std::uint16_t, std::size_t{1} << kBits> values_{};
};

void SetEntry(Bytes& palette, std::size_t index, const PngColour& colour) {
  palette[4 * index] = colour.red;
  palette[4 * index + 1] = colour.green;
  palette[4 * index + 2] = colour.blue;
  palette[4 * index + 3] = 0;
}

PngColour EntryOf(const Bytes& palette, std::size_t index) {
  return {palette[4 * index], palette[4 * index + 1], palette[4 * index + 2], 255};
}

}  // namespace

std::int64_t ColourDistance(std::uint8_t r1, std::uint8_t g1, std::uint8_t b1, std::uint8_t r2,
                            std::uint8_t g2, std::uint8_t b2) {
  const std::int64_t dr = r1 - r2;
  const std::int64_t dg = g1 - g2;
  const std::int64_t db = b1 - b2;
  const std::int64_t redSum = r1 + r2;
  return (1024 + redSum) * dr * dr + 2048 * dg * dg + (1534 - redSum) * db * db;
}

struct PictureMapper::State {
  PaletteOrigin origin = PaletteOrigin::kBuilt;
  AlphaRule rule;
  Bytes palette = Bytes(kEntries * 4, 0);
  std::optional<std::uint8_t> swapped;
  std::optional<Index0Place> movedIndex0;
  // Shared: the PLTE every picture must agree with, and each index's new place.
  std::vector<PngColour> shared;
  std::optional<std::uint8_t> seeThrough;
  std::array<std::uint8_t, kEntries> place{};
  // Built: every colour's index. Given: each colour's lowest index from 1.
  ColourIndex exact;
  std::size_t given = 0;
  // Built from palettes alone: the palette grows as Map meets colours, `met`
  // of them so far, those past the last entry in `pastPalette`.
  bool growing = false;
  std::size_t met = 0;
  std::unique_ptr<std::bitset<1 << 24>> pastPalette;
  std::unordered_map<std::uint32_t, std::uint8_t> nearest;
  // Built and given: the RGBA colours met so far, with their IndexOf.
  RecentColours recent;

  std::uint8_t Nearest(const PngColour& c) {
    if (const auto known = nearest.find(Key(c)); known != nearest.end()) {
      return known->second;
    }
    std::size_t best = 1;
    std::int64_t bestDistance = -1;
    for (std::size_t i = 1; i < given; ++i) {
      const PngColour e = EntryOf(palette, i);
      const std::int64_t d = ColourDistance(c.red, c.green, c.blue, e.red, e.green, e.blue);
      if (bestDistance < 0 || d < bestDistance) {
        best = i;
        bestDistance = d;
      }
    }
    if (nearest.size() >= kMaxRemembered) {
      nearest.clear();
    }
    return nearest[Key(c)] = static_cast<std::uint8_t>(best);
  }

  MappedPicture MapShared(std::string_view name, PngPicture& picture) const {
    const auto own =
        picture.form == PngForm::kIndexed ? SeeThroughIndex(picture.palette) : std::nullopt;
    if (!own || !Agree(shared, picture.palette) ||
        !SeeThroughAgrees(*own, picture.palette.size(), seeThrough, shared.size())) {
      Changed(name,
              "its palette is not the one it had when the run's palette was made; the picture "
              "changed in between");
    }
    // Index 0 is see-through in an archive: pixels of an opaque colour 0
    // that stay there, or that take the nearest colour, are counted.
    const bool opaqueZero = !seeThrough && (rule.opaqueIndex0 == OpaqueIndex0::kSay ||
                                            (movedIndex0 && movedIndex0->nearest));
    const auto zeros =
        opaqueZero ? static_cast<std::uint64_t>(std::ranges::count(picture.pixels, 0)) : 0;
    // Indexes stay where they are unless the see-through index trades places
    // with 0, or colour 0 moves.
    if (!swapped && !movedIndex0) {
      return {{picture.width, picture.height, std::move(picture.pixels)}, 0, zeros};
    }
    MappedPicture out{{picture.width, picture.height, Bytes(picture.pixels.size())}, 0, zeros};
    std::transform(picture.pixels.begin(), picture.pixels.end(), out.image.pixels.begin(),
                   [this](std::uint8_t index) { return place[index]; });
    return out;
  }

  // The index of colour `c`, first met at pixel `i` of a picture `width`
  // wide; `changed` when a given palette has no exact entry for it.
  std::uint8_t IndexOf(std::string_view name, const PngColour& c, std::size_t i,
                       std::uint32_t width, bool& changed) {
    changed = false;
    // Alpha 255 is opaque under any rule.
    if (c.alpha != 255 && IsSeeThrough(c.alpha, rule, name, i, width)) {
      return 0;
    }
    const std::uint32_t key = Key(c);
    if (const auto found = exact.Find(key)) {
      return *found;
    }
    return IndexOfUnknown(name, c, key, i, width, changed);
  }

  // IndexOf for an opaque colour the exact index does not hold yet.
  std::uint8_t IndexOfUnknown(std::string_view name, const PngColour& c, std::uint32_t key,
                              std::size_t i, std::uint32_t width, bool& changed) {
    if (origin == PaletteOrigin::kGiven) {
      changed = true;
      return Nearest(c);
    }
    if (!growing) {
      Changed(name, "pixel " + Position(i, width) +
                        " has a colour the run's palette was not made with; the picture changed "
                        "in between");
    }
    if (met < kMaxOpaqueColours) {
      const auto index = static_cast<std::uint8_t>(++met);
      SetEntry(palette, index, c);
      exact.Insert(key, index);
      return index;
    }
    // Past the last entry colours are only counted, for the refusal.
    if (!pastPalette) {
      pastPalette = std::make_unique<std::bitset<1 << 24>>();
    }
    if (!pastPalette->test(key)) {
      pastPalette->set(key);
      ++met;
    }
    return 0;
  }

  // IndexOf for the RGBA pixel `i` whose four bytes are `word`, remembered
  // in `recent` with whether it changed.
  std::uint16_t Learn(std::string_view name, std::uint32_t word, const std::uint8_t* c,
                      std::size_t i, std::uint32_t width) {
    bool changed = false;
    const std::uint8_t index = IndexOf(name, {c[0], c[1], c[2], c[3]}, i, width, changed);
    const auto value = static_cast<std::uint16_t>(index | (changed ? 0x100 : 0));
    recent.Put(word, value);
    return value;
  }

  // The indexes are written over the picture's own pixels, each over the
  // first byte of its pixel, which has been read by then.
  MappedPicture MapColours(std::string_view name, PngPicture& picture) {
    if (growing) {
      CheckAlphas(rule, name, picture);
    }
    const std::size_t count = std::size_t{picture.width} * picture.height;
    std::uint8_t* mapped = picture.pixels.data();
    std::uint64_t changedPixels = 0;
    if (picture.form == PngForm::kIndexed) {
      // Each palette entry is looked up once, where a pixel first uses it.
      std::array<std::int16_t, kEntries> index;
      index.fill(-1);
      std::bitset<kEntries> entryChanged;
      bool changed = false;
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t entry = picture.pixels[i];
        if (index[entry] < 0) {
          index[entry] = IndexOf(name, picture.palette[entry], i, picture.width, changed);
          entryChanged[entry] = changed;
        }
        mapped[i] = static_cast<std::uint8_t>(index[entry]);
        changedPixels += entryChanged[entry] ? 1u : 0u;
      }
    } else {
      // A pixel like the one before takes its index; another is found in one
      // probe of `recent` once its colour was met. Alpha 0 is see-through
      // under any rule, and the all-zero word is the one `recent` never holds.
      const std::uint8_t* rgba = picture.pixels.data();
      std::uint32_t last = 0;
      std::uint16_t lastValue = 0;
      for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t word = 0;
        std::memcpy(&word, rgba + 4 * i, 4);
        if (word != last) {
          last = word;
          if ((word & kAlphaOfWord) == 0) {
            lastValue = 0;
          } else if (lastValue = recent.Find(word); lastValue == RecentColours::kMissing) {
            std::uint8_t c[4];
            std::memcpy(c, &word, 4);
            lastValue = Learn(name, word, c, i, picture.width);
          }
        }
        mapped[i] = static_cast<std::uint8_t>(lastValue);
        changedPixels += static_cast<std::uint64_t>(lastValue >> 8);
      }
    }
    if (met > kMaxOpaqueColours) {
      throw FaultError(
          {.kind = FaultKind::kTooManyColours, .value = static_cast<std::int64_t>(met)});
    }
    picture.pixels.resize(count);
    return {{picture.width, picture.height, std::move(picture.pixels)}, changedPixels};
  }
};

PictureMapper::PictureMapper(std::unique_ptr<State> state) : state_(std::move(state)) {}
PictureMapper::PictureMapper(PictureMapper&&) noexcept = default;
PictureMapper& PictureMapper::operator=(PictureMapper&&) noexcept = default;
PictureMapper::~PictureMapper() = default;

PictureMapper PictureMapper::ForGivenPalette(const formats::PaletteFile& file, AlphaRule rule) {
  auto state = std::make_unique<State>();
  state->origin = PaletteOrigin::kGiven;
  state->rule = Checked(rule);
  state->palette = file.palette;
  state->palette.resize(kEntries * 4, 0);
  state->given = std::min(file.entriesGiven, kEntries);
  if (state->given < 2) {
    throw FaultError({.kind = FaultKind::kBadPaletteFile,
                      .text = "the palette has " + Text(state->given) +
                              " entries; opaque colours need entries past index 0"});
  }
  for (std::size_t i = 1; i < state->given; ++i) {
    state->exact.Insert(Key(EntryOf(state->palette, i)), static_cast<std::uint8_t>(i));
  }
  return PictureMapper(std::move(state));
}

PictureMapper PictureMapper::Building(AlphaRule rule) {
  auto state = std::make_unique<State>();
  state->rule = Checked(rule);
  state->growing = true;
  return PictureMapper(std::move(state));
}

PaletteOrigin PictureMapper::Origin() const {
  return state_->origin;
}

const Bytes& PictureMapper::Palette() const {
  return state_->palette;
}

std::optional<std::uint8_t> PictureMapper::SwappedIndex() const {
  return state_->swapped;
}

std::optional<Index0Place> PictureMapper::MovedIndex0() const {
  return state_->movedIndex0;
}

MappedPicture PictureMapper::Map(std::string_view name, PngPicture picture) {
  return state_->origin == PaletteOrigin::kShared ? state_->MapShared(name, picture)
                                                  : state_->MapColours(name, picture);
}

struct TargetPaletteBuilder::Pass {
  AlphaRule rule;
  std::size_t count = 0;
  bool shareable = true;
  std::vector<PngColour> shared;
  std::optional<std::uint8_t> seeThrough;
  // The built palette's colours in order of first sight, as many as it holds,
  // and every distinct colour seen, to count them.
  std::vector<PngColour> built;
  std::unique_ptr<std::bitset<1 << 24>> seen = std::make_unique<std::bitset<1 << 24>>();
  std::size_t distinct = 0;
  // Only palettes were added: a built palette grows as Map meets the colours.
  bool palettesOnly = false;

  void Share(PngForm form, const std::vector<PngColour>& palette) {
    const auto seeThroughIndex =
        form == PngForm::kIndexed ? SeeThroughIndex(palette) : std::nullopt;
    if (!seeThroughIndex) {
      shareable = false;
    } else if (count == 1) {
      seeThrough = *seeThroughIndex;
      shared = palette;
    } else if (!Agree(shared, palette) ||
               !SeeThroughAgrees(*seeThroughIndex, palette.size(), seeThrough, shared.size())) {
      shareable = false;
    } else {
      seeThrough = seeThrough ? seeThrough : *seeThroughIndex;
      if (palette.size() > shared.size()) {
        shared = palette;
      }
    }
  }

  void Collect(std::string_view name, const PngPicture& picture) {
    const std::size_t pixels = std::size_t{picture.width} * picture.height;
    for (std::size_t i = 0; i < pixels; ++i) {
      const PngColour c = ColourOf(picture, i);
      if (IsSeeThrough(c.alpha, rule, name, i, picture.width)) {
        continue;
      }
      const std::uint32_t key = Key(c);
      if (!seen->test(key)) {
        seen->set(key);
        ++distinct;
        if (built.size() < kMaxOpaqueColours) {
          built.push_back({c.red, c.green, c.blue, 255});
        }
      }
    }
  }
};

TargetPaletteBuilder::TargetPaletteBuilder(AlphaRule rule) : pass_(std::make_unique<Pass>()) {
  pass_->rule = Checked(rule);
}
TargetPaletteBuilder::TargetPaletteBuilder(TargetPaletteBuilder&&) noexcept = default;
TargetPaletteBuilder::~TargetPaletteBuilder() = default;

void TargetPaletteBuilder::Add(std::string_view name, const PngPicture& picture) {
  CheckAlphas(pass_->rule, name, picture);
  ++pass_->count;
  if (pass_->shareable) {
    pass_->Share(picture.form, picture.palette);
  }
  // Always, since a later picture may still rule the shared palette out.
  pass_->Collect(name, picture);
}

void TargetPaletteBuilder::AddPalette(const formats::PngColours& colours) {
  ++pass_->count;
  pass_->palettesOnly = true;
  if (pass_->shareable) {
    pass_->Share(colours.form, colours.palette);
  }
}

bool TargetPaletteBuilder::Shared() const {
  return pass_->count > 0 && pass_->shareable;
}

std::size_t TargetPaletteBuilder::Count() const {
  return pass_->count;
}

PictureMapper TargetPaletteBuilder::Finish() const {
  if (pass_->count == 0) {
    throw InvalidArgumentError("a palette is built from at least one PNG picture");
  }
  auto state = std::make_unique<PictureMapper::State>();
  state->rule = pass_->rule;
  if (pass_->shareable) {
    state->origin = PaletteOrigin::kShared;
    state->shared = pass_->shared;
    state->seeThrough = pass_->seeThrough;
    for (std::size_t i = 0; i < kEntries; ++i) {
      state->place[i] = static_cast<std::uint8_t>(i);
      if (i < pass_->shared.size()) {
        SetEntry(state->palette, i, pass_->shared[i]);
      }
    }
    if (const auto k = pass_->seeThrough; k && *k != 0) {
      std::swap(state->place[0], state->place[*k]);
      for (std::size_t byte = 0; byte < 3; ++byte) {
        std::swap(state->palette[byte], state->palette[4 * *k + byte]);
      }
      state->swapped = k;
    }
    if (!pass_->seeThrough && pass_->rule.opaqueIndex0 == OpaqueIndex0::kKeep) {
      const Index0Place to = PlaceOfOpaqueIndex0(pass_->shared);
      state->place[0] = to.index;
      if (to.free) {
        SetEntry(state->palette, to.index, pass_->shared[0]);
      }
      state->movedIndex0 = to;
    }
    return PictureMapper(std::move(state));
  }
  if (pass_->distinct > kMaxOpaqueColours) {
    throw FaultError(
        {.kind = FaultKind::kTooManyColours, .value = static_cast<std::int64_t>(pass_->distinct)});
  }
  state->origin = PaletteOrigin::kBuilt;
  state->growing = pass_->palettesOnly;
  state->met = pass_->built.size();
  for (std::size_t i = 0; i < pass_->built.size(); ++i) {
    SetEntry(state->palette, i + 1, pass_->built[i]);
    state->exact.Insert(Key(pass_->built[i]), static_cast<std::uint8_t>(i + 1));
  }
  return PictureMapper(std::move(state));
}

}  // namespace sprite::pipeline
