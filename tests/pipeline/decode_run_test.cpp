// The Decode run over real files, told to a recording delegate.
#include "pipeline/decode_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/test_files.h"
#include "fakes/fake_file_system.h"
#include "fakes/memory_file_system.h"
#include "formats/png_picture.h"
#include "pipeline/archive_listing.h"
#include "pipeline/encode_run.h"
#include "pipeline/recording_delegate.h"
#include "pipeline/sprite_sheet.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Effect = pipeline::Problem::Effect;
using Bar = pipeline::RunDelegate::Bar;

std::string DecodedLine(std::int64_t count) {
  return "Decoded " + std::to_string(count) + " pictures in .spr to .bmp";
}

class DecodeRunTest : public ::testing::Test {
 protected:
  // Encodes the given bitmaps into an archive in the folder and returns its path.
  std::string MakeArchive(const std::vector<BitmapFields>& pictures) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      paths.push_back(folder_.Path("in" + std::to_string(i) + ".bmp"));
      WriteFile(paths.back(), BuildBitmap(pictures[i]));
    }
    const std::string archive = folder_.Path("pack.spr");
    RecordingDelegate quiet;
    Bytes palette(1024, 0);
    pipeline::EncodeRun(files_, quiet).Run(paths, archive, palette);
    return archive;
  }

  pipeline::RunReport Decode(const std::string& archive, const std::string& into = {},
                             const pipeline::DecodeOptions& options = {}) {
    RecordingDelegate fresh;
    fresh.stopWhen = delegate_.stopWhen;
    fresh.onWritten = delegate_.onWritten;
    delegate_ = std::move(fresh);
    return pipeline::DecodeRun(files_, delegate_, options).Run(archive, into);
  }

  // The pixels of a sheet of one column of the frames encode cuts from `picture`.
  Bytes Recut(const std::string& picture, pipeline::FrameSize frame) {
    RecordingDelegate quiet;
    Bytes palette(1024, 0);
    const std::string frames = folder_.Path("frames.spr");
    pipeline::EncodeRun(files_, quiet, {.sheet = frame}).Run({picture}, frames, palette);
    Decode(frames, {}, {.png = true, .sheetColumns = 1});
    return formats::ReadPng(ReadFile(delegate_.written.at(0))).pixels;
  }

  TempFolder folder_;
  fakes::FakeFileSystem files_;
  RecordingDelegate delegate_;
};

TEST_F(DecodeRunTest, RoundTripOfRandomBitmapsIsByteExact) {
  std::mt19937 random(20261207);
  const Bytes palette = TestPalette(3);
  std::vector<BitmapFields> pictures;
  for (std::int32_t width = 1; width <= 70; ++width) {
    const std::int32_t rows = 1 + static_cast<std::int32_t>(random() % 40);
    pictures.push_back({.width = width,
                        .height = (width % 5 == 0) ? -rows : rows,
                        .palette = palette,
                        .pixelArea = SpritePixelArea(random, width, rows)});
  }
  const std::string archive = MakeArchive(pictures);

  const pipeline::RunReport report = Decode(archive);

  ASSERT_EQ(delegate_.written.size(), 70u);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    char number[24];
    std::snprintf(number, sizeof number, "%04zu", i + 1);
    EXPECT_EQ(delegate_.written[i], archive + "." + number + ".bmp");
    // Fields and palette as the tool writes them, so the file comes back byte for byte.
    EXPECT_EQ(ReadFile(delegate_.written[i]), BuildBitmap(pictures[i])) << "width " << (i + 1);
  }
  const std::vector<std::string> lines = delegate_.Texts();
  EXPECT_EQ(lines.front(), "Decoding...");
  EXPECT_EQ(lines[1], "Processing bitmap: 1");
  EXPECT_EQ(lines[70], "Processing bitmap: 70");
  EXPECT_EQ(lines.back(), DecodedLine(70));
  EXPECT_TRUE(std::none_of(delegate_.lines.begin(), delegate_.lines.end(),
                           [](const auto& line) { return line.follow; }));
  EXPECT_EQ(delegate_.Percents(Bar::kFirst).back(), 100);
  EXPECT_TRUE(report.completed);
  EXPECT_EQ(report.stored, 70);
  EXPECT_EQ(report.problems, 0);
}

TEST_F(DecodeRunTest, WritesIntoTheFolderGivenAndReplacesLongerFilesWholly) {
  const std::string archive = MakeArchive({{.width = 4, .height = 1, .pixelArea = {1, 2, 3, 4}}});
  std::filesystem::create_directory(folder_.Root() / "out");
  const std::string inFolder = folder_.Path("out/pack.spr.0001.bmp");
  WriteFile(inFolder, Bytes(5000, 0xAB));
  Decode(archive, folder_.Path("out"));
  EXPECT_THAT(delegate_.written, ElementsAre(inFolder));
  EXPECT_EQ(ReadFile(inFolder).size(), 1078u + 4);
  EXPECT_FALSE(std::filesystem::exists(archive + ".0001.bmp"));
}

TEST_F(DecodeRunTest, ReplacedBitmapsAreToldInOrderOnceTheyAreInPlace) {
  std::vector<BitmapFields> pictures;
  for (std::uint8_t k = 1; k <= 7; ++k) {
    pictures.push_back({.pixelArea = {k, k, k, k}});
  }
  const std::string archive = MakeArchive(pictures);
  std::vector<std::string> names;
  for (std::int32_t k = 1; k <= 7; ++k) {
    names.push_back(pipeline::DecodeRun::OutputName(archive, k));
    if (k != 3) {  // a new file among old ones
      WriteFile(names.back(), Bytes(5000, 0xAB));
    }
  }
  files_.filesPerBatch = 2;
  delegate_.onWritten = [&](const std::string& path) {
    const auto k = std::find(names.begin(), names.end(), path) - names.begin();
    EXPECT_EQ(ReadFile(path), BuildBitmap(pictures.at(static_cast<std::size_t>(k)))) << path;
  };
  const pipeline::RunReport report = Decode(archive);
  EXPECT_EQ(delegate_.written, names);
  EXPECT_EQ(report.stored, 7);
}

TEST_F(DecodeRunTest, AnArchiveThatCannotBeOpenedIsOneProblemAndNothingElse) {
  const std::string notAnArchive = folder_.Path("picture.spr");
  WriteFile(notAnArchive, Bytes(2000, 'x'));
  const std::string shortFile = folder_.Path("short.spr");
  WriteFile(shortFile, Bytes{0x53, 0x50, 1, 2, 0, 0, 0, 0});
  // A small sprite chosen instead of the archive: too short, but told as no archive.
  const std::string smallPicture = folder_.Path("walk.png");
  WriteFile(smallPicture, Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10});
  const struct {
    std::string path;
    FaultKind kind;
  } cases[] = {
      {notAnArchive, FaultKind::kNotAnArchive},
      {shortFile, FaultKind::kArchiveCut},
      {smallPicture, FaultKind::kNotAnArchive},
      {folder_.Path("missing.spr"), FaultKind::kNoSuchFile},
      {"", FaultKind::kNoFileName},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const pipeline::RunReport report = Decode(c.path);
    ASSERT_EQ(delegate_.problems.size(), 1u);
    EXPECT_EQ(delegate_.problems[0].effect, Effect::kArchiveNotOpened);
    EXPECT_EQ(delegate_.problems[0].fault.kind, c.kind);
    EXPECT_EQ(delegate_.problems[0].fault.path, c.path);
    EXPECT_THAT(delegate_.Texts(), ElementsAre("Decoding..."));
    EXPECT_FALSE(report.completed);
  }
  EXPECT_THAT(folder_.Names(), ElementsAre("picture.spr", "short.spr", "walk.png"));
}

TEST_F(DecodeRunTest, AListThatCannotBeWrittenStopsTheRunBeforeAnyPicture) {
  const std::string archive = MakeArchive({{.pixelArea = Bytes(4, 1)}, {.pixelArea = Bytes(4, 2)}});
  WriteFile(folder_.Path("file"), Bytes{});
  // Windows calls a path through a file a folder that does not exist.
  const struct {
    std::string list;
    std::vector<FaultKind> kinds;
  } cases[] = {
      {folder_.Path("missing/frames.txt"), {FaultKind::kNoSuchFolder}},
      {folder_.Path("file/frames.txt"), {FaultKind::kNotAFolder, FaultKind::kNoSuchFolder}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    const pipeline::RunReport report = Decode(archive, {}, {.png = true, .listPath = c.list});
    ASSERT_EQ(delegate_.problems.size(), 1u);
    EXPECT_THAT(delegate_.problems[0].fault.kind, ::testing::AnyOfArray(c.kinds));
    EXPECT_THAT(delegate_.problems[0].text, HasSubstr("nothing was written"));
    EXPECT_TRUE(report.outputFailed);
    EXPECT_THAT(folder_.Names(), ElementsAre("file", "in0.bmp", "in1.bmp", "pack.spr"));
  }
}

// An entry whose head or place is damaged ends the run after its own line; one
// read whole whose stream is damaged costs only its own file.
TEST_F(DecodeRunTest, ADamagedEntryIsToldUnderItsLineAndKeepsWhatWasWritten) {
  // Entries at 8, 18 and 28, palette at 38.
  const std::string archive = MakeArchive(
      {{.pixelArea = {1, 2, 3, 4}}, {.pixelArea = {5, 6, 7, 8}}, {.pixelArea = {9, 10, 11, 12}}});
  const Bytes whole = ReadFile(archive);
  const struct {
    std::size_t at;
    Bytes bytes;
    std::int32_t damaged;  // the entry's number
    FaultKind kind;
    bool goesOn;
  } cases[] = {
      {18, {0, 0}, 2, FaultKind::kWidthWithoutRows, false},
      {22, {0xFE, 0xFF}, 2, FaultKind::kNegativeLength, false},
      {22, {15, 0}, 2, FaultKind::kStreamPastPalette, false},
      {4, {4, 0}, 4, FaultKind::kEntryHeadPastPalette, false},
      {27, {0}, 2, FaultKind::kLoneRunMarker, true},  // a stream of 05 06 07 00
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    Bytes bytes = whole;
    std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<long>(c.at));
    WriteFile(archive, bytes);
    const pipeline::RunReport report = Decode(archive);
    const std::vector<std::string> lines = delegate_.Texts();
    const std::size_t processed = c.goesOn ? 3 : static_cast<std::size_t>(c.damaged);
    ASSERT_EQ(lines.size(), processed + 3);
    EXPECT_EQ(lines[static_cast<std::size_t>(c.damaged)],
              "Processing bitmap: " + std::to_string(c.damaged));
    ASSERT_EQ(delegate_.problems.size(), 1u);
    const pipeline::Problem& problem = delegate_.problems[0];
    EXPECT_EQ(problem.effect, Effect::kEntryFailed);
    EXPECT_EQ(problem.fault.kind, c.kind);
    EXPECT_EQ(problem.fault.entry, c.damaged);
    EXPECT_EQ(problem.fault.path, archive);
    // An entry that runs into the last 1024 bytes tells of an archive cut short.
    EXPECT_EQ(
        problem.text.ends_with("may have wrong colours: an archive cut short does not end "
                               "with its palette"),
        c.kind == FaultKind::kStreamPastPalette || c.kind == FaultKind::kEntryHeadPastPalette);
    EXPECT_EQ(lines[static_cast<std::size_t>(c.damaged) + 1], problem.line);
    const std::size_t written = c.goesOn ? 2 : static_cast<std::size_t>(c.damaged - 1);
    EXPECT_EQ(lines.back(), DecodedLine(static_cast<std::int32_t>(written)));
    EXPECT_EQ(delegate_.written.size(), written);
    EXPECT_EQ(report.completed, c.goesOn);
  }
}

TEST_F(DecodeRunTest, BytesNoEntryHoldsAreToldOnceEveryEntryIsWritten) {
  const std::string archive =
      MakeArchive({{.pixelArea = {1, 2, 3, 4}}, {.pixelArea = {5, 6, 7, 8}}});
  Bytes lowCount = ReadFile(archive);
  lowCount[4] = 1;  // the second entry belongs to none
  Bytes added = ReadFile(archive);
  added.resize(added.size() + 4, 'j');  // the palette read is 4 bytes off
  for (const auto& [bytes, entries] : {std::pair{lowCount, 1}, {added, 2}}) {
    for (const std::uint32_t columns : {0u, 2u}) {
      SCOPED_TRACE(entries * 10 + static_cast<int>(columns));
      WriteFile(archive, bytes);
      EXPECT_EQ(Decode(archive, {}, {.png = columns > 0, .sheetColumns = columns}).stored, entries);
      ASSERT_EQ(delegate_.problems.size(), 1u);
      EXPECT_EQ(delegate_.problems[0].fault.kind, FaultKind::kBytesAfterEntries);
    }
  }
}

TEST_F(DecodeRunTest, AFullDiskNamesTheFilesLeftUnwrittenAsTheyAreWritten) {
  const std::string archive = MakeArchive({{.pixelArea = {1, 2, 3, 4}}});
  for (const bool png : {false, true}) {
    SCOPED_TRACE(png);
    files_.writeBudget = 0;
    const pipeline::RunReport report = Decode(archive, {}, {.png = png});
    EXPECT_TRUE(report.outputFailed);
    EXPECT_THAT(delegate_.problems.back().text,
                HasSubstr(png ? "; the pictures from there on" : "; the bitmaps from there on"));
    delegate_.problems.clear();
  }
}

// A file a failed run was replacing is said to be unchanged only where there
// was one: the sheet, the list and the palette, as the archive.
TEST_F(DecodeRunTest, AFullDiskSaysAReplacedFileIsUnchangedOnlyWhenThereWasOne) {
  const std::string archive = MakeArchive({{.pixelArea = {1, 2, 3, 4}}});
  const std::string list = folder_.Path("list.txt");
  const std::string palette = folder_.Path("pal.gpl");
  Decode(archive, {}, {.png = true});  // the picture a list's run writes before its list
  const auto picture = static_cast<long>(ReadFile(archive + ".0001.png").size());
  const struct {
    std::string output;
    long budget;
    std::function<pipeline::RunReport()> run;
  } cases[] = {
      {archive + ".sheet.png", 0,
       [&] { return Decode(archive, {}, {.png = true, .sheetColumns = 1}); }},
      {list, picture, [&] { return Decode(archive, {}, {.png = true, .listPath = list}); }},
      {palette, 0,
       [&] {
         delegate_ = RecordingDelegate{};
         return pipeline::ExportPalette(files_, delegate_, archive, palette,
                                        pipeline::PaletteFormat::kGimp);
       }},
  };
  for (const auto& c : cases) {
    for (const bool existed : {false, true}) {
      SCOPED_TRACE(c.output + (existed ? ", there before" : ", new"));
      std::filesystem::remove(std::filesystem::path(c.output));
      if (existed) {
        WriteFile(c.output, Bytes{'o', 'l', 'd'});
      }
      files_.writeBudget = c.budget;
      EXPECT_TRUE(c.run().outputFailed);
      files_.writeBudget = -1;
      const std::string& text = delegate_.problems.back().text;
      EXPECT_EQ(text.find("; the previous file is unchanged") != std::string::npos, existed)
          << text;
    }
  }
}

TEST_F(DecodeRunTest, SignatureAndNoPositiveCountDecodeAsNoEntries) {
  const std::string archive = folder_.Path("empty.spr");
  for (const auto& [size, count] : {std::pair{1024, 0}, {1031, -2}, {1032, -2}}) {
    SCOPED_TRACE(size);
    Bytes bytes(static_cast<std::size_t>(size), 0);
    const Bytes header{0x53,
                       0x50,
                       1,
                       2,
                       static_cast<std::uint8_t>(count),
                       static_cast<std::uint8_t>(count < 0 ? 0xFF : 0)};
    std::copy(header.begin(), header.end(), bytes.begin());
    WriteFile(archive, bytes);
    EXPECT_TRUE(Decode(archive).completed);
    EXPECT_THAT(delegate_.Texts(), ElementsAre("Decoding...", DecodedLine(count)));
    EXPECT_TRUE(delegate_.written.empty());
  }
}

TEST_F(DecodeRunTest, TruncatedAtEveryOffsetEndsInOneProblem) {
  const std::string archive =
      MakeArchive({{.width = 3, .height = 2, .pixelArea = {1, 0, 0, 0, 0, 0, 7, 0}},
                   {.width = 5, .height = 1, .pixelArea = {9, 9, 0, 0, 9, 0, 0, 0}}});
  const Bytes whole = ReadFile(archive);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    WriteFile(archive, Bytes(whole.begin(), whole.begin() + static_cast<long>(length)));
    Decode(archive);
    ASSERT_EQ(delegate_.problems.size(), 1u);
    if (delegate_.problems[0].effect == Effect::kArchiveNotOpened) {
      EXPECT_THAT(delegate_.Texts(), ElementsAre("Decoding..."));
    } else {
      // Decoded as far as the bytes allow; the last line claims no more than was written.
      EXPECT_EQ(delegate_.Texts().back(), DecodedLine(std::ssize(delegate_.written)));
    }
  }
}

TEST(DecodeRunNamesTest, NamesPastPicture9999TakeFiveDigits) {
  // 10001 entries of one pixel, each its own colour byte, decoded in memory.
  Bytes archive{0x53, 0x50, 1, 2, 0x11, 0x27, 0, 0};
  for (int k = 1; k <= 10001; ++k) {
    archive.insert(archive.end(), {1, 0, 1, 0, 1, 0, static_cast<std::uint8_t>(1 + k % 255)});
  }
  archive.resize(archive.size() + 1024, 0);
  fakes::MemoryFileSystem files;
  files.files["many.spr"] = archive;
  RecordingDelegate delegate;
  ASSERT_TRUE(pipeline::DecodeRun(files, delegate).Run("many.spr").completed);
  ASSERT_EQ(delegate.written.size(), 10001u);
  EXPECT_EQ(delegate.written[999], "many.spr.1000.bmp");
  EXPECT_EQ(delegate.written[9999], "many.spr.10000.bmp");
  EXPECT_EQ(delegate.written[10000], "many.spr.10001.bmp");
  EXPECT_EQ(files.files.at("many.spr.1000.bmp"),
            BuildBitmap({.width = 1, .height = 1, .pixelArea = {1 + 1000 % 255, 0, 0, 0}}));
}

TEST(DecodeRunNamesTest, NamesAreMadeFromTheArchivesNameAsTheSystemKeepsIt) {
  // Windows drops the dots and blanks that end a name: "t.spr." is t.spr.
  constexpr bool kWindows = std::filesystem::path::preferred_separator == '\\';
  const struct {
    std::string archive;
    std::string folder;
    std::string first;
  } cases[] = {
      {"t.spr.", "", kWindows ? "t.spr.0001.bmp" : "t.spr..0001.bmp"},
      {"t.spr. .", "", kWindows ? "t.spr.0001.bmp" : "t.spr. ..0001.bmp"},
      {"t.spr ", "out", kWindows ? "out\\t.spr.0001.bmp" : "out/t.spr .0001.bmp"},
      {"t.spr", "", "t.spr.0001.bmp"},
  };
  // One entry of one pixel.
  Bytes archive{0x53, 0x50, 1, 2, 1, 0, 0, 0, 1, 0, 1, 0, 1, 0, 5};
  archive.resize(archive.size() + 1024, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    fakes::MemoryFileSystem files;
    files.files[c.archive] = archive;
    RecordingDelegate delegate;
    ASSERT_TRUE(pipeline::DecodeRun(files, delegate).Run(c.archive, c.folder).completed);
    EXPECT_EQ(delegate.written, std::vector<std::string>{c.first});
  }
}

TEST_F(DecodeRunTest, AStopLeavesNoPartialFileAndSaysWhatWasNotWritten) {
  const std::string archive = MakeArchive({{.width = 8, .height = 8, .pixelArea = Bytes(64, 1)}});
  delegate_.stopWhen = [](long) { return true; };
  for (const auto& [options, what] :
       {std::pair<pipeline::DecodeOptions, std::string>{{}, "the bitmap being decoded"},
        {{.png = true}, "the picture being decoded"},
        {{.png = true, .sheetColumns = 2}, "the sheet \"" + archive + ".sheet.png\""}}) {
    SCOPED_TRACE(what);
    const pipeline::RunReport report = Decode(archive, {}, options);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(delegate_.problems.back().text, "stopped: " + what + " was not written");
    EXPECT_NE(delegate_.Texts().back().rfind("Decoded", 0), 0u);  // no "Decoded" line
    EXPECT_THAT(folder_.Names(), ElementsAre("in0.bmp", "pack.spr"));
  }
  // A stop once a file stands in its place says how many do.
  bool wroteOne = false;
  delegate_.stopWhen = [&](long) { return wroteOne; };
  delegate_.onWritten = [&](const std::string&) { wroteOne = true; };
  Decode(MakeArchive({{.pixelArea = {1, 2, 3, 4}}, {.pixelArea = {5, 6, 7, 8}}}));
  EXPECT_EQ(delegate_.problems.back().text,
            "stopped: the bitmap being decoded was not written; 1 bitmap before it was written");
}

// Pictures of several sizes, four of them noise that deflates to little less
// than it is, so that a sheet's image data spans several IDAT chunks.
std::vector<BitmapFields> SheetPictures() {
  std::mt19937 random(28);
  std::vector<BitmapFields> pictures;
  for (const auto& [width, rows] :
       {std::pair{5, 9}, {180, 180}, {17, 3}, {180, 180}, {180, 180}, {60, 41}, {180, 180}}) {
    Bytes area = SpritePixelArea(random, width, rows);
    if (width == 180) {
      for (auto& pixel : area) {
        pixel = static_cast<std::uint8_t>(1 + random() % 255);
      }
    }
    pictures.push_back({.width = width, .height = rows, .pixelArea = std::move(area)});
  }
  return pictures;
}

TEST_F(DecodeRunTest, ASheetWrittenBandByBandIsTheFramesComposed) {
  const std::string archive = MakeArchive(SheetPictures());
  Decode(archive, {}, {.png = true});
  std::vector<pipeline::IndexedImage> frames;
  for (const std::string& path : delegate_.written) {
    const formats::PngPicture picture = formats::ReadPng(ReadFile(path));
    frames.push_back({picture.width, picture.height, picture.pixels});
  }
  ASSERT_EQ(frames.size(), 7u);
  for (const std::uint32_t columns : {1u, 3u, 7u}) {
    SCOPED_TRACE(std::to_string(columns) + " columns");
    const pipeline::RunReport report = Decode(archive, {}, {.png = true, .sheetColumns = columns});
    EXPECT_TRUE(report.completed);
    ASSERT_EQ(delegate_.written, std::vector<std::string>{archive + ".sheet.png"});
    const formats::PngPicture sheet = formats::ReadPng(ReadFile(archive + ".sheet.png"));
    EXPECT_EQ((pipeline::IndexedImage{sheet.width, sheet.height, sheet.pixels}),
              pipeline::ComposeSheet(frames, columns));
    // The log gives the cell size that cuts the sheet again.
    const std::uint32_t used = std::min(columns, 7u);
    const std::vector<std::string> lines = delegate_.Texts();
    EXPECT_EQ(lines.at(lines.size() - 2),
              "Sheet: " + archive + ".sheet.png, cells of " + std::to_string(sheet.width / used) +
                  " x " + std::to_string(sheet.height / ((7 + used - 1) / used)) + " pixels in " +
                  std::to_string(used) + (used == 1 ? " column" : " columns"));
  }
}

TEST_F(DecodeRunTest, ATopDownBitmapIsAPictureTopRowFirstEveryWay) {
  // A negative height: the file's first row is the top, 1s above 2s.
  const Bytes area{1, 1, 1, 1, 2, 2, 2, 2};
  const std::string archive = MakeArchive({{.width = 4, .height = -2, .pixelArea = area}});
  for (const std::uint32_t columns : {0u, 1u}) {
    Decode(archive, {}, {.png = true, .sheetColumns = columns});
    EXPECT_EQ(formats::ReadPng(ReadFile(delegate_.written.at(0))).pixels, area) << columns;
  }
  EXPECT_EQ(Recut(folder_.Path("in0.bmp"), {4, 1}), area);  // the top frame first
}

TEST_F(DecodeRunTest, APictureWithAShortLastRowIsCutIntoFramesAsItIsShown) {
  // One entry 3 wide of 7 bytes: two rows and one pixel, a PNG picture of 3 × 3.
  Bytes bytes{0x53, 0x50, 1, 2, 1, 0, 0, 0, 3, 0, 3, 0, 7, 0, 1, 2, 3, 4, 5, 6, 7};
  bytes.resize(bytes.size() + 1024, 0);
  const std::string archive = folder_.Path("short.spr");
  WriteFile(archive, bytes);
  Decode(archive, {}, {.png = true});
  EXPECT_EQ(Recut(archive + ".0001.png", {3, 1}), (Bytes{1, 2, 3, 4, 5, 6, 7, 0, 0}));
}

TEST_F(DecodeRunTest, AStopOrAFullDiskWhileASheetIsWrittenLeavesTheOldSheet) {
  const std::string archive = MakeArchive(SheetPictures());
  const pipeline::DecodeOptions options{.png = true, .sheetColumns = 2};
  Decode(archive, {}, options);
  const long asks = delegate_.stopAsks;
  WriteFile(archive + ".sheet.png", Bytes{'o', 'l', 'd'});
  const std::vector<std::string> names = folder_.Names();
  // A stop while the first band's rows go out, in the middle, and at the last row.
  for (const long at : {asks / 4, asks / 2, asks - 1}) {
    delegate_.stopWhen = [at](long ask) { return ask >= at; };
    EXPECT_TRUE(Decode(archive, {}, options).cancelled) << at;
    EXPECT_EQ(ReadFile(archive + ".sheet.png"), (Bytes{'o', 'l', 'd'})) << at;
    EXPECT_EQ(folder_.Names(), names) << at;
  }
  // The disk full after the first IDAT chunk.
  delegate_.stopWhen = nullptr;
  files_.writeBudget = 70000;
  const pipeline::RunReport report = Decode(archive, {}, options);
  EXPECT_TRUE(report.outputFailed);
  EXPECT_EQ(delegate_.problems.back().effect, Effect::kOutputFailed);
  EXPECT_EQ(ReadFile(archive + ".sheet.png"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(folder_.Names(), names);
}

}  // namespace
}  // namespace sprite::testing
