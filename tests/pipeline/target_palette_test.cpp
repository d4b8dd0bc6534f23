#include "pipeline/target_palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "colour/oklab.h"
#include "common/error.h"

namespace sprite::pipeline {
namespace {

using formats::PngColour;
using formats::PngForm;
using formats::PngPicture;

constexpr PngColour kClear{0, 0, 0, 0};
constexpr PngColour kBlack{0, 0, 0, 255};
constexpr PngColour kRed{255, 0, 0, 255};
constexpr PngColour kGreen{0, 255, 0, 255};
constexpr PngColour kBlue{0, 0, 255, 255};

PngPicture Indexed(std::vector<PngColour> palette, Bytes indexes, std::uint32_t width = 2) {
  PngPicture picture;
  picture.form = PngForm::kIndexed;
  picture.width = width;
  picture.height = static_cast<std::uint32_t>(indexes.size()) / width;
  picture.palette = std::move(palette);
  picture.pixels = std::move(indexes);
  return picture;
}

PngPicture Rgba(std::vector<PngColour> colours, std::uint32_t width = 2) {
  PngPicture picture;
  picture.width = width;
  picture.height = static_cast<std::uint32_t>(colours.size()) / width;
  for (const PngColour& c : colours) {
    picture.pixels.insert(picture.pixels.end(), {c.red, c.green, c.blue, c.alpha});
  }
  return picture;
}

PngColour Seen(PngColour c) {
  c.alpha = 0;
  return c;
}

// The archive palette's first entries as colours.
std::vector<PngColour> Entries(const Bytes& palette, std::size_t count) {
  std::vector<PngColour> entries;
  for (std::size_t i = 0; i < count; ++i) {
    entries.push_back({palette[4 * i], palette[4 * i + 1], palette[4 * i + 2], 255});
  }
  return entries;
}

PictureMapper Built(const std::vector<PngPicture>& pictures, AlphaRule rule = {}) {
  TargetPaletteBuilder builder(rule);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    builder.Add("p" + std::to_string(i + 1) + ".png", pictures[i]);
  }
  return builder.Finish();
}

std::string Refusal(const std::function<void()>& run) {
  try {
    run();
  } catch (const FaultError& error) {
    return error.what();
  }
  return "";
}

TEST(SharedPalette, IndexedPicturesKeepIndexesAndPaletteWithTheSeeThroughIndexAtZero) {
  const std::vector<PngColour> four = {kRed, kGreen, kBlue, kBlack};
  struct Case {
    const char* what;
    std::vector<PngColour> palette;  // of the longer picture; the other has its first two
    std::optional<std::uint8_t> swapped;
    std::vector<PngColour> entries;  // the target's first four
    Bytes mapped;                    // of the pixels 0 1 2 3
  };
  for (const Case& c : {
           Case{"no see-through index", four, std::nullopt, four, {0, 1, 2, 3}},
           Case{"see-through 0",
                {Seen(kRed), kGreen, kBlue, kBlack},
                std::nullopt,
                four,
                {0, 1, 2, 3}},
           Case{"see-through 2 trades places with 0",
                {kRed, kGreen, Seen(kBlue), kBlack},
                2,
                {kBlue, kGreen, kRed, kBlack},
                {2, 1, 0, 3}},
       }) {
    SCOPED_TRACE(c.what);
    const PngPicture longer = Indexed(c.palette, {0, 1, 2, 3});
    const PngPicture shorter = Indexed({c.palette[0], c.palette[1]}, {1, 0});
    PictureMapper mapper = Built({shorter, longer});
    EXPECT_EQ(mapper.Origin(), PaletteOrigin::kShared);
    EXPECT_EQ(mapper.SwappedIndex(), c.swapped);
    EXPECT_EQ(Entries(mapper.Palette(), 4), c.entries);
    EXPECT_EQ(mapper.Palette(), [&] {
      Bytes padded(1024, 0);  // black past the PLTE's four entries
      for (std::size_t i = 0; i < 4; ++i) {
        padded[4 * i] = c.entries[i].red;
        padded[4 * i + 1] = c.entries[i].green;
        padded[4 * i + 2] = c.entries[i].blue;
      }
      return padded;
    }());
    EXPECT_EQ(mapper.Map("longer", longer).image.pixels, c.mapped);
  }
}

TEST(SharedPalette, AnOpaqueColourZeroIsCountedMovedOrLeftAsTheRuleSays) {
  const std::vector<PngColour> four = {kRed, kGreen, kBlue, kBlack};
  // 256 entries far from red but for those a case puts there.
  const auto full = [](std::size_t at, PngColour colour) {
    std::vector<PngColour> palette = {kRed};
    for (std::size_t i = 1; i < 256; ++i) {
      palette.push_back({static_cast<std::uint8_t>(i / 2), static_cast<std::uint8_t>(i), 100, 255});
    }
    palette[at] = colour;
    return palette;
  };
  using enum OpaqueIndex0;
  struct Case {
    const char* what;
    std::vector<PngColour> palette;
    OpaqueIndex0 rule;
    std::uint8_t to;  // where the pixels of index 0 go
    std::uint64_t counted;
  };
  for (const Case& c :
       {Case{"said", four, kSay, 0, 2}, Case{"meant see-through", four, kSeeThrough, 0, 0},
        Case{"see-through in the picture", {Seen(kRed), kGreen, kBlue, kBlack}, kSay, 0, 0},
        Case{"kept past the palette", four, kKeep, 4, 0},
        Case{"kept at another entry of red", full(200, kRed), kKeep, 200, 0},
        Case{"kept at the nearest colour", full(77, {250, 0, 0, 255}), kKeep, 77, 2}}) {
    SCOPED_TRACE(c.what);
    const PngPicture picture = Indexed(c.palette, {0, 1, 0, 3});
    PictureMapper mapper = Built({picture}, {.opaqueIndex0 = c.rule});
    ASSERT_EQ(mapper.Origin(), PaletteOrigin::kShared);
    const MappedPicture mapped = mapper.Map("p.png", picture);
    EXPECT_EQ(mapped.image.pixels, (Bytes{c.to, 1, c.to, 3}));
    EXPECT_EQ(mapped.opaqueIndex0, c.counted);
    EXPECT_EQ(mapper.MovedIndex0().has_value(), c.to != 0);
    // Red stands where the pixels went, exactly or as near as the palette has.
    EXPECT_EQ(Entries(mapper.Palette(), 256)[c.to],
              c.palette.size() < 256 ? kRed : c.palette[c.to]);
  }
}

TEST(SharedPalette, SetsThatDoNotShareOnePaletteAreBuiltInstead) {
  const std::vector<PngColour> rgb = {kRed, kGreen, kBlue};
  struct Case {
    const char* what;
    PngPicture first;
    PngPicture second;
  };
  for (const Case& c : {
           Case{"see-through 1 and 2", Indexed({kRed, Seen(kGreen), kBlue}, {0, 1}),
                Indexed({kRed, kGreen, Seen(kBlue)}, {0, 2})},
           Case{"see-through 1 and none", Indexed({kRed, Seen(kGreen), kBlue}, {0, 1}),
                Indexed(rgb, {0, 2})},
           Case{"two see-through entries", Indexed({Seen(kRed), Seen(kGreen), kBlue}, {0, 2}),
                Indexed({Seen(kRed), Seen(kGreen), kBlue}, {1, 2})},
           Case{"an unused partial alpha", Indexed({kRed, kGreen, {0, 0, 255, 128}}, {0, 1}),
                Indexed(rgb, {0, 1})},
           Case{"different colours", Indexed(rgb, {0, 1}), Indexed({kRed, kBlue}, {0, 1})},
           Case{"an RGBA picture", Indexed(rgb, {0, 1}), Rgba({kRed, kGreen})},
       }) {
    EXPECT_EQ(Built({c.first, c.second}).Origin(), PaletteOrigin::kBuilt) << c.what;
  }
}

TEST(BuiltPalette, SeeThroughIsZeroAndOpaqueColoursFollowInListAndRowOrder) {
  const PngPicture first = Rgba({kClear, kBlack, kRed, kBlack, Seen(kRed), kGreen});
  // Its see-through entry 0 is red, and stays see-through.
  const PngPicture second = Indexed({Seen(kRed), kBlue, kGreen}, {2, 1, 0, 1});
  PictureMapper mapper = Built({first, second});
  ASSERT_EQ(mapper.Origin(), PaletteOrigin::kBuilt);
  // Entry 0 is black and see-through; opaque black has an entry of its own.
  EXPECT_EQ(Entries(mapper.Palette(), 6),
            (std::vector<PngColour>{kBlack, kBlack, kRed, kGreen, kBlue, kBlack}));
  EXPECT_EQ(mapper.Map("1", first).image.pixels, (Bytes{0, 1, 2, 1, 0, 3}));
  EXPECT_EQ(mapper.Map("2", second).image.pixels, (Bytes{3, 4, 0, 4}));
  EXPECT_EQ(mapper.Map("1", first).changedPixels, 0u);
}

TEST(BuiltPalette, MoreThan255OpaqueColoursAreRefusedWithTheirCount) {
  std::vector<PngColour> colours;
  for (int i = 0; i < 300; ++i) {
    colours.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i / 256), 9, 255});
  }
  colours.push_back(kClear);
  colours.push_back(kClear);
  EXPECT_EQ(Refusal([&] { Built({Rgba(colours)}); }),
            "the PNG pictures have 300 distinct opaque colours; an archive palette holds 255 "
            "besides the see-through index 0: give --colours 255 to choose 255 of them, or "
            "--palette FILE to map them to a palette");
  colours.resize(255);
  EXPECT_EQ(Built({Rgba(colours, 5)}).Origin(), PaletteOrigin::kBuilt);
}

TEST(BuiltPalette, PartialAlphaIsRefusedUnlessAThresholdSaysWhereSeeThroughEnds) {
  const PngPicture picture =
      Rgba({kRed, {1, 2, 3, 127}, {4, 5, 6, 128}, {7, 8, 9, 255}, {0, 0, 0, 1}, kClear});
  try {
    Built({Rgba({kRed, kRed}), picture});
    ADD_FAILURE() << "partial alpha taken";
  } catch (const FaultError& error) {
    EXPECT_EQ(error.Kind(), FaultKind::kPartialAlpha);
    EXPECT_EQ(error.Details().path, "p2.png");
    EXPECT_EQ(error.Details().text, "(1, 0)");
    EXPECT_EQ(error.Details().value, 127);
  }
  // Below 128 is see-through: alpha 127 and 1 become 0, alpha 128 is opaque.
  PictureMapper mapper = Built({picture}, {.threshold = 128});
  EXPECT_EQ(mapper.Map("p", picture).image.pixels, (Bytes{1, 0, 2, 3, 0, 0}));
  EXPECT_EQ(Entries(mapper.Palette(), 4),
            (std::vector<PngColour>{kBlack, kRed, {4, 5, 6, 255}, {7, 8, 9, 255}}));
  for (int threshold : {0, 256}) {
    EXPECT_THROW(TargetPaletteBuilder({.threshold = threshold}), InvalidArgumentError);
  }
}

TEST(BuiltPalette, APictureThatChangedBetweenThePassesIsRefused) {
  PictureMapper built = Built({Rgba({kRed, kGreen})});
  EXPECT_NE(Refusal([&] {
              built.Map("p.png", Rgba({kRed, kBlue}));
            }).find("p.png\": pixel (1, 0)"),
            std::string::npos);
  PictureMapper shared = Built({Indexed({kRed, kGreen}, {0, 1})});
  EXPECT_NE(Refusal([&] { shared.Map("q.png", Indexed({kGreen, kGreen}, {0, 1})); }), "");
  EXPECT_NE(Refusal([&] { shared.Map("q.png", Rgba({kRed, kGreen})); }), "");
}

formats::PaletteFile GivenPalette(const std::vector<PngColour>& entries) {
  formats::PaletteFile file;
  file.palette.assign(1024, 0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    file.palette[4 * i] = entries[i].red;
    file.palette[4 * i + 1] = entries[i].green;
    file.palette[4 * i + 2] = entries[i].blue;
  }
  file.entriesGiven = entries.size();
  return file;
}

TEST(GivenPalette, ColoursTakeTheExactEntryElseTheNearestNeverIndexZero) {
  const PngColour grey{10, 10, 10, 255};
  PictureMapper mapper = PictureMapper::ForGivenPalette(GivenPalette({
      grey,              // 0: see-through; its colour is no target for opaque pixels
      kRed,              // 1
      {20, 0, 0, 255},   // 2
      {0, 16, 0, 255},   // 3: nearer to black by plain RGB distance, not in OKLab
      kRed,              // 4: the same as 1
      {0, 100, 0, 255},  // 5
      {0, 120, 0, 255},  // 6: as near to (0, 110, 0) as 5 in RGB; nearer in OKLab
  }));
  ASSERT_EQ(mapper.Origin(), PaletteOrigin::kGiven);
  struct Case {
    const char* what;
    PngColour colour;
    std::uint8_t index;
    bool changed;
  };
  for (const Case& c : {
           Case{"exact, the lowest of equal entries", kRed, 1, false},
           Case{"see-through", Seen(kBlue), 0, false},
           Case{"entry 0's colour, opaque", grey, 3, true},
           Case{"entry 0's colour, see-through", Seen(grey), 0, false},
           Case{"nearest in OKLab", kBlack, 2, true},
           Case{"an RGB tie OKLab settles", {0, 110, 0, 255}, 6, true},
           Case{"black past the entries given is no target", {0, 0, 1, 255}, 2, true},
       }) {
    const MappedPicture mapped = mapper.Map("p", Rgba({c.colour, c.colour}));
    EXPECT_EQ(mapped.image.pixels, (Bytes{c.index, c.index})) << c.what;
    EXPECT_EQ(mapped.changedPixels, c.changed ? 2u : 0u) << c.what;
    // Told apart: art in the palette's colour 0, which cannot stay.
    EXPECT_EQ(mapped.onlyAtIndex0, c.colour == grey ? 2u : 0u) << c.what;
  }
  // Colour 0 held at another entry too: its pixels take that one, exactly.
  PictureMapper twice = PictureMapper::ForGivenPalette(GivenPalette({grey, kRed, grey}));
  EXPECT_EQ(twice.Map("p", Rgba({grey})).onlyAtIndex0, 0u);
  EXPECT_THROW(PictureMapper::ForGivenPalette(GivenPalette({kRed})), FaultError);
}

// A game's palette may hold one colour at several entries: an indexed
// picture drawn in it keeps the entries it chose, in every mode; one whose
// entries hold other colours takes the lowest entry of each colour.
TEST(GivenPalette, AnIndexedPictureDrawnInThePaletteKeepsItsIndexes) {
  const std::vector<PngColour> game = {kBlack, kRed, kGreen, kRed, kGreen, kBlue};
  const std::vector<PngColour> other = {Seen(kBlack), kGreen, kRed, kRed, kBlue, kBlue};
  for (const auto dither :
       {colour::Dither::kNone, colour::Dither::kFloydSteinberg, colour::Dither::kOrdered}) {
    SCOPED_TRACE(colour::DitherName(dither));
    PictureMapper mapper = PictureMapper::ForGivenPalette(GivenPalette(game), {}, dither);
    EXPECT_EQ(mapper.Map("p", Indexed(game, {3, 4, 1, 2, 5, 3}, 3)).image.pixels,
              (Bytes{3, 4, 1, 2, 5, 3}));
    EXPECT_EQ(mapper.Map("p", Indexed(other, {0, 1, 2, 3, 4, 5}, 3)).image.pixels,
              (Bytes{0, 2, 1, 3, 5, 5}));
  }
}

// Pictures of many colours met in random order, each pixel mapped as the
// rules say one pixel at a time: the mapper's shortcuts (a pixel like the one
// before, colours remembered between pictures) must give the same indexes.
TEST(PictureMapper, ManyColoursInAnyOrderMapAsEachPixelAloneWould) {
  std::mt19937 random(7);
  std::vector<PngColour> colours;
  for (int i = 0; i < 250; ++i) {
    colours.push_back({static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                       static_cast<std::uint8_t>(random() | 1), 255});
  }
  std::vector<PngColour> given(colours.begin(), colours.begin() + 120);
  const AlphaRule rule{.threshold = 128};
  PictureMapper growing = PictureMapper::Building(rule);
  PictureMapper fixed = PictureMapper::ForGivenPalette(GivenPalette(given), rule);
  std::vector<PngColour> met;  // the growing palette's colours, index 1 first
  for (int picture = 0; picture < 8; ++picture) {
    std::vector<PngColour> pixels;
    for (int i = 0; i < 64 * 9; ++i) {
      PngColour c = colours[random() % colours.size()];
      c.alpha = static_cast<std::uint8_t>(std::array{0, 60, 128, 255, 255, 255}[random() % 6]);
      pixels.insert(pixels.end(), 1 + random() % 3, c);  // runs of 1 to 3
    }
    pixels.resize(64 * 9);
    Bytes grownIndexes;
    Bytes givenIndexes;
    std::uint64_t changed = 0;
    for (const PngColour& c : pixels) {
      if (c.alpha < 128) {
        grownIndexes.push_back(0);
        givenIndexes.push_back(0);
        continue;
      }
      const auto distance = [&](const PngColour& e) {
        return colour::SquaredDistance(colour::ToOklab({c.red, c.green, c.blue}),
                                       colour::ToOklab({e.red, e.green, e.blue}));
      };
      const auto same = [&](const PngColour& e) {
        return e.red == c.red && e.green == c.green && e.blue == c.blue;
      };
      auto found = std::ranges::find_if(met, same);
      if (found == met.end()) {
        found = met.insert(met.end(), c);
      }
      grownIndexes.push_back(static_cast<std::uint8_t>(found - met.begin() + 1));
      std::size_t best = 1;
      for (std::size_t e = 2; e < given.size(); ++e) {
        best = distance(given[e]) < distance(given[best]) ? e : best;
      }
      givenIndexes.push_back(static_cast<std::uint8_t>(best));
      changed += same(given[best]) ? 0u : 1u;
    }
    EXPECT_EQ(growing.Map("p", Rgba(pixels, 64)).image.pixels, grownIndexes) << picture;
    const MappedPicture mapped = fixed.Map("p", Rgba(pixels, 64));
    EXPECT_EQ(mapped.image.pixels, givenIndexes) << picture;
    EXPECT_EQ(mapped.changedPixels, changed) << picture;
  }
}

}  // namespace
}  // namespace sprite::pipeline
