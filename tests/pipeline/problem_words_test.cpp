// The one wording of faults and of a run's problems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "common/error.h"
#include "common/text.h"
#include "pipeline/problem.h"

namespace sprite::testing {
namespace {

using ::testing::HasSubstr;

// Every kind, each with the facts its words must carry: 12345 as the value,
// 678 as the bound, "FACT" as the text, "SHOWN" as the bytes shown; and
// whether it concerns a file as a whole rather than the bytes in it.
struct KindFacts {
  FaultKind kind;
  bool value, bound, text, shown, file;
};
constexpr KindFacts kKinds[] = {
    {FaultKind::kNoFileName, false, false, false, false, true},
    {FaultKind::kNoSuchFile, false, false, false, false, true},
    {FaultKind::kNotAPlainFile, false, false, true, false, true},
    {FaultKind::kNoSuchFolder, false, false, true, false, true},
    {FaultKind::kNotAFolder, false, false, true, false, true},
    {FaultKind::kLinkNotFollowed, false, false, true, false, true},
    {FaultKind::kOthersFileNotReplaced, false, false, true, false, true},
    {FaultKind::kCannotRead, false, false, true, false, true},
    {FaultKind::kCannotWrite, false, false, true, false, true},
    {FaultKind::kChangedMeanwhile, false, false, false, false, true},
    {FaultKind::kFileCut, false, false, false, false, true},
    {FaultKind::kCannotStart, false, false, true, false, true},
    {FaultKind::kEmptyFile, false, false, false, false, false},
    {FaultKind::kNotABitmap, false, false, true, false, false},
    {FaultKind::kHeadersCut, true, false, false, false, false},
    {FaultKind::kNotEightBit, true, false, false, false, false},
    {FaultKind::kOs2Header, true, false, false, false, false},
    {FaultKind::kNot256Colours, true, false, false, false, false},
    {FaultKind::kCompressed, true, false, false, false, false},
    {FaultKind::kPaletteCut, true, true, false, false, false},
    {FaultKind::kPixelsPastEnd, true, true, false, false, false},
    {FaultKind::kWidthWithoutRows, true, false, false, false, false},
    {FaultKind::kPixelAreaTooLarge, true, false, false, false, false},
    {FaultKind::kSizeTooLarge, true, true, false, false, false},
    {FaultKind::kCodesTooLong, true, true, false, false, false},
    {FaultKind::kRowsNotWhole, false, false, false, false, false},
    {FaultKind::kCodedRowsDiffer, false, false, false, false, false},
    {FaultKind::kOtherColours, false, false, false, false, false},
    {FaultKind::kRowsNotHeight, true, true, false, false, false},
    {FaultKind::kNotAnArchive, false, false, false, true, false},
    {FaultKind::kArchiveCut, true, false, false, false, false},
    {FaultKind::kEntryHeadPastPalette, true, true, false, false, false},
    {FaultKind::kNegativeLength, true, false, false, false, false},
    {FaultKind::kStreamPastPalette, true, true, false, false, false},
    {FaultKind::kNegativeCount, true, false, false, false, false},
    {FaultKind::kBytesAfterEntries, true, true, false, false, false},
    {FaultKind::kNoSuchEntry, true, true, true, false, false},
    {FaultKind::kLoneRunMarker, true, false, false, false, false},
    {FaultKind::kReadPastEnd, true, true, false, false, false},
    {FaultKind::kNotAPng, false, false, false, false, false},
    {FaultKind::kDamagedPng, false, false, true, false, false},
    {FaultKind::kPngTooLarge, true, true, true, false, false},
    {FaultKind::kNotAPaletteFile, false, false, false, false, false},
    {FaultKind::kBadPaletteFile, false, false, true, false, false},
    {FaultKind::kPartialAlpha, true, false, true, false, false},
    {FaultKind::kTooManyColours, true, false, true, false, false},
    {FaultKind::kPictureChanged, false, false, true, false, false},
    {FaultKind::kSheetNotWhole, true, true, true, false, false},
    {FaultKind::kSheetAllEmpty, true, false, true, false, false},
    {FaultKind::kColoursChanged, true, true, false, false, false},
    {FaultKind::kMappingUnused, true, false, false, false, false},
    {FaultKind::kDitherUnused, false, false, true, false, false},
    {FaultKind::kFileTooLarge, true, true, false, false, false},
    {FaultKind::kArchiveFull, false, false, false, false, false},
    {FaultKind::kNoPictures, false, false, false, false, false},
    {FaultKind::kOutputIsInput, false, false, true, false, false},
    {FaultKind::kNothingStored, false, false, false, false, false},
    {FaultKind::kStopped, false, false, false, false, false},
    {FaultKind::kUnexpected, false, false, true, false, false},
    {FaultKind::kSheetTooLarge, true, true, true, false, false},
    {FaultKind::kOpaqueIndex0, true, false, true, false, false},
    {FaultKind::kOpaqueIndex0Nearest, true, true, true, false, false},
    {FaultKind::kColoursMerged, true, false, false, false, false},
    {FaultKind::kOutputWrittenTwice, false, false, true, false, false},
    {FaultKind::kBadListLine, true, false, true, false, false},
    {FaultKind::kGivenIndex0, true, false, true, false, false},
    {FaultKind::kFramesLeftOut, true, false, false, false, false},
};

TEST(FaultWordsTest, EveryKindHasWordsOfItsOwnThatCarryItsFacts) {
  ASSERT_EQ(std::size(kKinds), static_cast<std::size_t>(FaultKind::kFramesLeftOut) + 1);
  std::set<std::string> seen;
  for (const KindFacts& k : kKinds) {
    const Fault fault{
        .kind = k.kind, .value = 12345, .bound = 678, .text = "FACT", .shown = "SHOWN"};
    const std::string words = Describe(fault);
    SCOPED_TRACE(words);
    // Faults of system calls are the system's own words; every other kind has its own.
    EXPECT_TRUE(words == "FACT" || seen.insert(words).second) << "the same words as another kind";
    EXPECT_EQ(words.find("12345") != std::string::npos, k.value);
    EXPECT_EQ(words.find("678") != std::string::npos, k.bound);
    EXPECT_EQ(words.find("FACT") != std::string::npos, k.text);
    EXPECT_EQ(words.find("SHOWN") != std::string::npos, k.shown);
    EXPECT_EQ(IsFileFault(k.kind), k.file);
  }
  // The place: an archive entry and its offset; the path comes with the error.
  const Fault inEntry{.kind = FaultKind::kNegativeLength, .entry = 3, .offset = 120, .value = -2};
  EXPECT_EQ(Describe(inEntry).rfind("entry 3 at offset 120: ", 0), 0u);
  const FaultError error({.kind = FaultKind::kNoSuchFile, .path = "a b.bmp"});
  EXPECT_STREQ(error.what(), "\"a b.bmp\": there is no such file");
}

// Where the words carry two numbers, each stands in its own place.
TEST(FaultWordsTest, EachNumberStandsWhereItsFactBelongs) {
  const struct {
    Fault fault;
    const char* words;
  } cases[] = {
      {{.kind = FaultKind::kPaletteCut, .offset = 54, .value = 300, .bound = 1078},
       "it is damaged: the file is 300 bytes long, too short to hold the 1024-byte palette at "
       "offset 54 (1078 bytes needed)"},
      {{.kind = FaultKind::kSizeTooLarge, .value = 40000, .bound = 2},
       "it is too large: 40000 x 2 pixels; an archive entry holds at most 32767 in each direction"},
      {{.kind = FaultKind::kCodesTooLong, .value = 40000, .bound = 32766},
       "it is too large: it codes to 40000 bytes, more than the 32766 an archive entry holds"},
      {{.kind = FaultKind::kEntryHeadPastPalette,
        .entry = 2,
        .offset = 20,
        .value = 9,
        .bound = 24},
       "entry 2 at offset 20: the 6-byte entry head runs past the start of the palette at "
       "offset 24 (the header counts 9 entries)"},
      {{.kind = FaultKind::kReadPastEnd, .offset = 7, .value = 4, .bound = 10},
       "a read of 4 bytes at offset 7 runs past the end of the data (10 bytes)"},
      {{.kind = FaultKind::kOs2Header, .value = 8},
       "it is an 8-bit OS/2 bitmap, with a 12-byte information header; only 8-bit bitmaps with "
       "256 colours and a header of 40 bytes or more can be stored: save it as one, or as a PNG "
       "picture"},
      // A count of one reads in the singular.
      {{.kind = FaultKind::kArchiveCut, .value = 1},
       "the file is 1 byte long, too short to hold the 1024-byte palette at its end"},
      {{.kind = FaultKind::kBytesAfterEntries, .offset = 9, .value = 1, .bound = 1},
       "1 byte at offset 9, after the last of the 1 entry the header counts, belongs to no "
       "entry"},
      {{.kind = FaultKind::kNot256Colours, .value = 1},
       "it is an 8-bit bitmap with 1 colour; only 8-bit bitmaps with 256 colours can be stored: "
       "save it as one, or as a PNG picture"},
      {{.kind = FaultKind::kColoursChanged, .value = 2, .bound = 0},
       "2 pixels took a near palette colour, the farthest less than 0.001 away (OKLab)"},
      {{.kind = FaultKind::kOpaqueIndex0Nearest, .value = 3, .bound = 17, .text = "(0, 0, 0)"},
       "its 3 pixels of the opaque colour 0 took the nearest colour, index 17 (0, 0, 0): the "
       "palette has no free entry and no other of their colour"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(c.fault), c.words);
  }
}

// The advice of a refused run names what its reader can change: sprite-cli's
// options, or the window's menu items; the facts are the same.
TEST(ProblemWordsTest, AdviceNamesTheOptionsOfTheProgramThatReadsIt) {
  const Fault partial{.kind = FaultKind::kPartialAlpha, .path = "w.png", .value = 128};
  const Fault colours{.kind = FaultKind::kTooManyColours, .value = 300};
  const struct {
    OptionWords words;
    const char* alpha;
    const char* palette;
  } cases[] = {
      {OptionWords::kCommandLine, "give --alpha-threshold N", "give --colours 255"},
      {OptionWords::kMenu, "choose Options ▸ Alpha threshold", "choose Options ▸ Colours…"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.alpha);
    const pipeline::Problem refused = pipeline::PictureNotStored(partial, c.words);
    EXPECT_THAT(refused.line, HasSubstr("(alpha 128)"));
    EXPECT_THAT(refused.line, HasSubstr(c.alpha));
    EXPECT_THAT(pipeline::NothingEncoded(colours, c.words).line, HasSubstr(c.palette));
  }
}

TEST(ProblemWordsTest, TheLogKeepsItsOwnLinesAndOtherProblemsAreWordedOnce) {
  const auto notStored = [](FaultKind kind) {
    return pipeline::PictureNotStored({.kind = kind, .path = "p.bmp", .value = 24});
  };
  constexpr char kRestriction[] =
      "ERROR: bitmap palette does not match format restriction (8BPP/256Cols)";
  for (const FaultKind kind :
       {FaultKind::kNoSuchFile, FaultKind::kEmptyFile, FaultKind::kNotABitmap,
        FaultKind::kHeadersCut, FaultKind::kNotEightBit, FaultKind::kOs2Header,
        FaultKind::kNot256Colours}) {
    EXPECT_EQ(notStored(kind).line, kRestriction);
  }
  const pipeline::Problem compressed = notStored(FaultKind::kCompressed);
  EXPECT_EQ(compressed.line, "ERROR: " + compressed.text);
  EXPECT_THAT(notStored(FaultKind::kCannotRead).text,
              HasSubstr("p.bmp: not stored: cannot read it"));
  EXPECT_EQ(notStored(FaultKind::kNoSuchFile).text, "p.bmp: not stored: there is no such file");

  EXPECT_EQ(pipeline::StoredAnyway({.kind = FaultKind::kRowsNotWhole}).line,
            "Warning: Flip Invalid!");
  EXPECT_EQ(pipeline::StoredAnyway({.kind = FaultKind::kCodedRowsDiffer}).line,
            "RLE: FAIL, decompressed and orig data not match!");
  // A line of the log's own words is followed in a window by the problem's words.
  for (const FaultKind kind :
       {FaultKind::kRowsNotWhole, FaultKind::kCodedRowsDiffer, FaultKind::kOtherColours}) {
    const pipeline::Problem warning = pipeline::StoredAnyway({.kind = kind, .path = "q.bmp"});
    EXPECT_FALSE(warning.lineNamesIt);
    EXPECT_EQ(warning.text.rfind("q.bmp: stored, but ", 0), 0u);
  }
  // Colours brought into a palette the user gave or asked for: a note, one line.
  const pipeline::Problem note = pipeline::ChangeStored(
      {.kind = FaultKind::kColoursChanged, .path = "q.png", .value = 4096, .bound = 31});
  EXPECT_EQ(note.effect, pipeline::Problem::Effect::kNoted);
  EXPECT_EQ(note.line,
            "Note: q.png: 4096 pixels took a near palette colour, the farthest 0.031 away (OKLab)");
  EXPECT_TRUE(note.lineNamesIt);
  EXPECT_EQ(pipeline::ChangeStored({.kind = FaultKind::kColoursMerged}).effect,
            pipeline::Problem::Effect::kStoredAnyway);
  EXPECT_FALSE(notStored(FaultKind::kNotEightBit).lineNamesIt);
  EXPECT_TRUE(compressed.lineNamesIt);

  EXPECT_THAT(
      pipeline::EntriesRecoloured("a.spr", 1, "n.bmp").text,
      HasSubstr("its 1 entry kept has other colours than the last picture, \"n.bmp\"; it "));

  // A palette file that cannot be used is named as the palette, whatever the fault.
  for (const FaultKind kind :
       {FaultKind::kNoSuchFile, FaultKind::kFileTooLarge, FaultKind::kNotAPaletteFile}) {
    EXPECT_EQ(pipeline::PaletteNotUsed({.kind = kind, .path = "p.gpl"})
                  .text.rfind("cannot use the palette \"p.gpl\": ", 0),
              0u);
  }

  // The archive that is not one: the box "Error", and why below it.
  const pipeline::Problem box =
      pipeline::ArchiveNotOpened({.kind = FaultKind::kNotAnArchive, .path = "x.spr"});
  EXPECT_EQ(box.line, "");
  EXPECT_EQ(box.text, "Error");
  EXPECT_THAT(box.detail, HasSubstr("\"x.spr\" is not a sprite archive"));
}

TEST(ProblemWordsTest, ADamagedArchiveIsNamedWithItsControlCharactersEscaped) {
  EXPECT_THAT(pipeline::EntryDamaged(
                  {.kind = FaultKind::kBytesAfterEntries, .path = "\x1B[31m.spr", .value = 8})
                  .line,
              HasSubstr("ERROR: \\x1B[31m.spr: 8 bytes"));
}

// A name longer than a message shows is shown by its ends, whole characters
// each; others are shown whole.
TEST(ProblemWordsTest, AnOverlongNameIsShownByItsEnds) {
  const auto repeated = [](std::string_view part, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) {
      text += part;
    }
    return text;
  };
  const std::string ends = repeated("x", kShownEnds);
  const struct {
    std::string name;
    std::string shown;
  } cases[] = {
      {repeated("x", 2 * kShownEnds + 1), repeated("x", 2 * kShownEnds + 1)},
      {"a" + repeated("x", 2 * kShownEnds) + "z",
       "a" + ends.substr(1) + "…" + ends.substr(1) + "z"},
      {repeated("x", 1 << 20) + ".png", ends + "…" + ends.substr(4) + ".png"},
      {repeated("é", 3 * kShownEnds), repeated("é", kShownEnds) + "…" + repeated("é", kShownEnds)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name.size());
    const Fault unread{
        .kind = FaultKind::kCannotRead, .path = c.name, .text = "File name too long"};
    EXPECT_EQ(pipeline::PictureNotStored(unread).line,
              "ERROR: " + c.shown + ": not stored: cannot read it: File name too long");
  }
}

}  // namespace
}  // namespace sprite::testing
