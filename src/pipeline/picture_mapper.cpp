#include "pipeline/picture_mapper.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>
#include <string>
#include <utility>

#include "colour/colour_mapper.h"
#include "common/error.h"
#include "common/text.h"
#include "pipeline/colour_tables.h"

namespace sprite::pipeline {

namespace {

using formats::PngColour;
using formats::PngForm;
using formats::PngPicture;

}  // namespace

struct PictureMapper::State {
  PaletteOrigin origin = PaletteOrigin::kBuilt;
  AlphaRule rule;
  Bytes palette = Bytes(kPaletteEntries * 4, 0);
  std::optional<std::uint8_t> swapped;
  std::optional<Index0Place> movedIndex0;
  // Shared: the PLTE every picture must agree with, and each index's new place.
  std::vector<PngColour> shared;
  std::optional<std::uint8_t> seeThrough;
  std::array<std::uint8_t, kPaletteEntries> place{};
  // Built: every colour's index.
  ColourIndex exact;
  // Given: each colour's entry, exact or near, through the dithering chosen.
  std::unique_ptr<colour::ColourMapper> given;
  std::size_t givenEntries = 0;
  colour::Dither dither = colour::Dither::kNone;
  // The given palette's colour 0 when no other entry has it: opaque pixels
  // of it cannot keep their colour.
  std::optional<PngColour> aloneAtIndex0;
  // Built from palettes alone: the palette grows as Map meets colours, `met`
  // of them so far, those past the last entry in `pastPalette`.
  bool growing = false;
  std::size_t met = 0;
  std::unique_ptr<std::bitset<1 << 24>> pastPalette;
  // Built: the RGBA colours met so far, with their IndexOf.
  RecentColours recent;

  // A given palette: the picture as RGBA, its indexes written over it.
  MappedPicture MapGiven(std::string_view name, PngPicture& picture) {
    CheckAlphas(rule, name, picture);
    Bytes ownIndexes;
    if (picture.form == PngForm::kIndexed) {
      Bytes rgba = RgbaPixels(picture);
      ownIndexes = std::exchange(picture.pixels, std::move(rgba));
    }
    const std::uint64_t onlyAtIndex0 =
        aloneAtIndex0 ? CountOpaque(picture.pixels, *aloneAtIndex0) : 0;
    const colour::MapReport report = given->Map({picture.width, picture.height, picture.pixels},
                                                OpaqueFrom(rule), dither, picture.pixels);
    picture.pixels.resize(std::size_t{picture.width} * picture.height);
    if (!ownIndexes.empty()) {
      KeepOwnIndexes(picture.palette, ownIndexes, picture.pixels);
    }
    return {{picture.width, picture.height, std::move(picture.pixels)},
            report.moved,
            0,
            report.largestSquared,
            onlyAtIndex0};
  }

  // The pixels of `rgba` of the colour `c` at an alpha the rule counts as opaque.
  std::uint64_t CountOpaque(ByteView rgba, const PngColour& c) const {
    const std::uint8_t opaqueFrom = OpaqueFrom(rule);
    std::uint64_t count = 0;
    for (std::size_t i = 0; i + 4 <= rgba.size(); i += 4) {
      count += rgba[i] == c.red && rgba[i + 1] == c.green && rgba[i + 2] == c.blue &&
               rgba[i + 3] >= opaqueFrom;
    }
    return count;
  }

  // An indexed picture drawn in the given palette keeps its indexes: where
  // the palette holds one colour at several entries (a game's cycling or
  // remap ranges), the entry the artist chose is the art. An opaque pixel
  // whose own entry has the given entry's colour at that index goes back to
  // it when the mapping gave it an entry of that same colour, so no colour
  // changes.
  void KeepOwnIndexes(const std::vector<PngColour>& own, const Bytes& ownIndexes,
                      Bytes& mapped) const {
    std::array<bool, kPaletteEntries> keep{};
    std::array<std::uint32_t, kPaletteEntries> keys{};
    for (std::size_t i = 0; i < kPaletteEntries; ++i) {
      keys[i] = ColourKey(EntryOf(palette, i));
      keep[i] = i != 0 && i < std::min(own.size(), givenEntries) && ColourKey(own[i]) == keys[i];
    }
    for (std::size_t i = 0; i < mapped.size(); ++i) {
      const std::uint8_t chosen = ownIndexes[i];
      if (mapped[i] != 0 && keep[chosen] && keys[mapped[i]] == keys[chosen]) {
        mapped[i] = chosen;
      }
    }
  }

  MappedPicture MapShared(std::string_view name, PngPicture& picture) const {
    const auto own =
        picture.form == PngForm::kIndexed ? SeeThroughIndex(picture.palette) : std::nullopt;
    if (!own || !PalettesAgree(shared, picture.palette) ||
        !SeeThroughAgrees(*own, picture.palette.size(), seeThrough, shared.size())) {
      PictureChanged(
          name,
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

  // The index of colour `c`, first met at pixel `i` of a picture `width` wide.
  std::uint8_t IndexOf(std::string_view name, const PngColour& c, std::size_t i,
                       std::uint32_t width) {
    // Alpha 255 is opaque under any rule.
    if (c.alpha != 255 && IsSeeThrough(c.alpha, rule, name, i, width)) {
      return 0;
    }
    const std::uint32_t key = ColourKey(c);
    if (const auto found = exact.Find(key)) {
      return *found;
    }
    return IndexOfUnknown(name, c, key, i, width);
  }

  // IndexOf for an opaque colour the exact index does not hold yet.
  std::uint8_t IndexOfUnknown(std::string_view name, const PngColour& c, std::uint32_t key,
                              std::size_t i, std::uint32_t width) {
    if (!growing) {
      PictureChanged(name,
                     "pixel " + PixelPlace(i, width) +
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

  // IndexOf for the RGBA pixel `i` whose four bytes are `word`, remembered in `recent`.
  std::uint16_t Learn(std::string_view name, std::uint32_t word, const std::uint8_t* c,
                      std::size_t i, std::uint32_t width) {
    const std::uint8_t index = IndexOf(name, {c[0], c[1], c[2], c[3]}, i, width);
    recent.Put(word, index);
    return index;
  }

  // The indexes are written over the picture's own pixels, each over the
  // first byte of its pixel, which has been read by then.
  MappedPicture MapColours(std::string_view name, PngPicture& picture) {
    if (growing) {
      CheckAlphas(rule, name, picture);
    }
    const std::size_t count = std::size_t{picture.width} * picture.height;
    std::uint8_t* mapped = picture.pixels.data();
    if (picture.form == PngForm::kIndexed) {
      // Each palette entry is looked up once, where a pixel first uses it.
      std::array<std::int16_t, kPaletteEntries> index;
      index.fill(-1);
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t entry = picture.pixels[i];
        if (index[entry] < 0) {
          index[entry] = IndexOf(name, picture.palette[entry], i, picture.width);
        }
        mapped[i] = static_cast<std::uint8_t>(index[entry]);
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
      }
    }
    if (met > kMaxOpaqueColours) {
      throw FaultError(
          {.kind = FaultKind::kTooManyColours, .value = static_cast<std::int64_t>(met)});
    }
    picture.pixels.resize(count);
    return {{picture.width, picture.height, std::move(picture.pixels)}};
  }
};

PictureMapper::PictureMapper(std::unique_ptr<State> state) : state_(std::move(state)) {}
PictureMapper::PictureMapper(PictureMapper&&) noexcept = default;
PictureMapper& PictureMapper::operator=(PictureMapper&&) noexcept = default;
PictureMapper::~PictureMapper() = default;

PictureMapper PictureMapper::ForGivenPalette(const formats::PaletteFile& file, AlphaRule rule,
                                             colour::Dither dither) {
  auto state = std::make_unique<State>();
  state->origin = PaletteOrigin::kGiven;
  state->rule = Checked(rule);
  state->palette = file.palette;
  state->palette.resize(kPaletteEntries * 4, 0);
  const std::size_t entries = std::min(file.entriesGiven, kPaletteEntries);
  if (entries < 2) {
    throw FaultError({.kind = FaultKind::kBadPaletteFile,
                      .text = "the palette has " + Counted(entries, "entry", "entries") +
                              "; opaque colours need entries past index 0"});
  }
  std::vector<colour::Rgb> colours;
  for (std::size_t i = 0; i < entries; ++i) {
    const PngColour c = EntryOf(state->palette, i);
    colours.push_back({c.red, c.green, c.blue});
  }
  state->given = std::make_unique<colour::ColourMapper>(colours);
  if (std::find(colours.begin() + 1, colours.end(), colours[0]) == colours.end()) {
    state->aloneAtIndex0 = EntryOf(state->palette, 0);
  }
  state->givenEntries = entries;
  state->dither = dither;
  return PictureMapper(std::move(state));
}

PictureMapper PictureMapper::ForChosenColours(const std::vector<colour::Rgb>& chosen,
                                              AlphaRule rule, colour::Dither dither) {
  formats::PaletteFile file{.palette = Bytes(kPaletteEntries * 4, 0),
                            .entriesGiven = chosen.size() + 1};
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    SetEntry(file.palette, i + 1, {chosen[i].red, chosen[i].green, chosen[i].blue, 255});
  }
  PictureMapper mapper = ForGivenPalette(file, rule, dither);
  mapper.state_->aloneAtIndex0.reset();
  return mapper;
}

PictureMapper PictureMapper::Shared(const std::vector<PngColour>& shared,
                                    std::optional<std::uint8_t> seeThrough, AlphaRule rule) {
  auto state = std::make_unique<State>();
  state->rule = rule;
  state->origin = PaletteOrigin::kShared;
  state->shared = shared;
  state->seeThrough = seeThrough;
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    state->place[i] = static_cast<std::uint8_t>(i);
    if (i < shared.size()) {
      SetEntry(state->palette, i, shared[i]);
    }
  }
  if (seeThrough && *seeThrough != 0) {
    std::swap(state->place[0], state->place[*seeThrough]);
    for (std::size_t byte = 0; byte < 3; ++byte) {
      std::swap(state->palette[byte], state->palette[4 * std::size_t{*seeThrough} + byte]);
    }
    state->swapped = seeThrough;
  }
  if (!seeThrough && rule.opaqueIndex0 == OpaqueIndex0::kKeep) {
    const Index0Place to = PlaceOfOpaqueIndex0(shared);
    state->place[0] = to.index;
    if (to.free) {
      SetEntry(state->palette, to.index, shared[0]);
    }
    state->movedIndex0 = to;
  }
  return PictureMapper(std::move(state));
}

PictureMapper PictureMapper::Built(const std::vector<PngColour>& colours, bool growing,
                                   AlphaRule rule) {
  auto state = std::make_unique<State>();
  state->rule = rule;
  state->origin = PaletteOrigin::kBuilt;
  state->growing = growing;
  state->met = colours.size();
  for (std::size_t i = 0; i < colours.size(); ++i) {
    SetEntry(state->palette, i + 1, colours[i]);
    state->exact.Insert(ColourKey(colours[i]), static_cast<std::uint8_t>(i + 1));
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
  switch (state_->origin) {
    case PaletteOrigin::kShared:
      return state_->MapShared(name, picture);
    case PaletteOrigin::kGiven:
      return state_->MapGiven(name, picture);
    case PaletteOrigin::kBuilt:
      break;
  }
  return state_->MapColours(name, picture);
}

}  // namespace sprite::pipeline
