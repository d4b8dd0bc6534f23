// The Encode run over real files, told to a recording delegate.
#include "pipeline/encode_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/test_files.h"
#include "fakes/fake_file_system.h"
#include "formats/png_writer.h"
#include "pipeline/recording_delegate.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;
using Effect = pipeline::Problem::Effect;
using Bar = pipeline::RunDelegate::Bar;

constexpr char kRejected[] =
    "ERROR: bitmap palette does not match format restriction (8BPP/256Cols)";
constexpr char kOk[] = "RLE: OK, Compressed and orig data are identical ;]";

std::int16_t Field16(const Bytes& bytes, std::size_t at) {
  return static_cast<std::int16_t>(bytes[at] | bytes[at + 1] << 8);
}

Bytes Tail(const Bytes& bytes, std::size_t size) {
  return Bytes(bytes.end() - static_cast<long>(size), bytes.end());
}

// The archive palette of a bitmap palette: blue and red change places, the fourth byte is 0.
Bytes ArchiveOrder(const Bytes& palette) {
  Bytes out(palette.size());
  for (std::size_t i = 0; i + 3 < palette.size(); i += 4) {
    out[i] = palette[i + 2];
    out[i + 1] = palette[i + 1];
    out[i + 2] = palette[i];
  }
  return out;
}

class EncodeRunTest : public ::testing::Test {
 protected:
  pipeline::RunReport Encode(const std::vector<std::string>& inputs, const std::string& archive) {
    const auto stopWhen = delegate_.stopWhen;
    delegate_ = RecordingDelegate{};
    delegate_.stopWhen = stopWhen;
    pipeline::EncodeRun run(files_, delegate_);
    return run.Run(inputs, archive, palette_);
  }

  std::string Bitmap(const std::string& name, const BitmapFields& fields) {
    const std::string path = folder_.Path(name);
    WriteFile(path, BuildBitmap(fields));
    return path;
  }

  TempFolder folder_;
  fakes::FakeFileSystem files_;
  RecordingDelegate delegate_;
  Bytes palette_ = Bytes(1024, 0);
};

TEST_F(EncodeRunTest, LogsEveryStepAndStoresOnlyAcceptedPictures) {
  BitmapFields good{
      .width = 3, .height = 2, .palette = TestPalette(1), .pixelArea = {1, 2, 3, 0, 4, 5, 6, 0}};
  BitmapFields trueColour = good;
  trueColour.bitsPerPixel = 24;
  BitmapFields dirtyPadding = good;
  dirtyPadding.pixelArea = {1, 2, 3, 0xFF, 4, 5, 6, 0};
  const std::string a = Bitmap("a.bmp", good);
  const std::string b = Bitmap("b.bmp", trueColour);
  const std::string c = Bitmap("c.bmp", dirtyPadding);
  const std::string archive = folder_.Path("out.spr");

  const pipeline::RunReport report = Encode({a, b, c}, archive);

  EXPECT_THAT(delegate_.Texts(), ElementsAre("Init", "Adding: " + a, kOk, kRejected, "Adding: " + c,
                                             "Warning: Flip Invalid!", kOk, "Completed "));
  // The log's selection follows "Adding: " and "Completed " only.
  std::vector<bool> follows;
  for (const auto& line : delegate_.lines) {
    follows.push_back(line.follow);
  }
  EXPECT_THAT(follows, ElementsAre(false, true, false, false, true, false, false, true));
  EXPECT_THAT(delegate_.Faults(), ElementsAre(std::pair(FaultKind::kNotEightBit, b),
                                              std::pair(FaultKind::kRowsNotWhole, c)));
  EXPECT_EQ(delegate_.problems[0].effect, Effect::kNotStored);
  EXPECT_EQ(delegate_.problems[1].effect, Effect::kStoredAnyway);

  const Bytes bytes = ReadFile(archive);
  // Header with two entries, two entries of 6 + 6 bytes, the palette of the last one.
  ASSERT_EQ(bytes.size(), 8u + 2 * 12 + 1024);
  EXPECT_THAT(Bytes(bytes.begin(), bytes.begin() + 8),
              ElementsAre(0x53, 0x50, 0x01, 0x02, 2, 0, 0, 0));
  EXPECT_THAT(Bytes(bytes.begin() + 8, bytes.begin() + 20),
              ElementsAre(3, 0, 2, 0, 6, 0, 4, 5, 6, 1, 2, 3));
  EXPECT_EQ(Tail(bytes, 1024), ArchiveOrder(dirtyPadding.palette));
  EXPECT_EQ(palette_, ArchiveOrder(dirtyPadding.palette));
  EXPECT_EQ(report.stored, 2);
  EXPECT_EQ(report.problems, 2);
  EXPECT_TRUE(report.completed);
}

TEST_F(EncodeRunTest, AHeightThatIsNotThePixelRowsIsStoredWithAWarning) {
  // Width 3: rows of 4 bytes with their padding.
  const struct {
    std::int32_t height;
    std::size_t rows;
    bool warned;
  } cases[] = {{2, 2, false}, {-2, 2, false}, {6, 2, true}, {2, 3, true}, {-3, 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.height) + " high, " + std::to_string(c.rows) + " rows");
    const std::string path =
        Bitmap("h.bmp", {.width = 3, .height = c.height, .pixelArea = Bytes(4 * c.rows, 0)});
    Encode({path}, folder_.Path("out.spr"));
    EXPECT_EQ(ReadFile(folder_.Path("out.spr")).at(4), 1);  // stored all the same
    if (c.warned) {
      EXPECT_THAT(delegate_.Faults(), ElementsAre(std::pair(FaultKind::kRowsNotHeight, path)));
      EXPECT_EQ(delegate_.problems[0].fault.value, static_cast<std::int64_t>(c.rows));
      EXPECT_EQ(delegate_.problems[0].fault.bound, std::abs(c.height));
    } else {
      EXPECT_TRUE(delegate_.problems.empty());
    }
  }
}

TEST_F(EncodeRunTest, EveryPictureNotStoredIsReportedByKindAndFile) {
  const BitmapFields goodFields{.palette = TestPalette(1), .pixelArea = {1, 2, 3, 4}};
  const std::string good = Bitmap("good.bmp", goodFields);
  Bytes damaged = BuildBitmap({.pixelArea = {}});
  damaged[10] = 0x88;  // pixel offset 5000 in a 1078-byte file
  damaged[11] = 0x13;
  WriteFile(folder_.Path("damaged.bmp"), damaged);
  const std::string locked = Bitmap("locked.bmp", {.pixelArea = {1, 2, 3, 4}});
  files_.unreadable.insert(locked);
  WriteFile(folder_.Path("short.bmp"), Bytes{'B', 'M', 0, 0});
  WriteFile(folder_.Path("a.png"), Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10});
  // Alternating zero and colour bytes code to one and a half times their size.
  Bytes wide(30000);
  for (std::size_t i = 0; i < wide.size(); i += 2) {
    wide[i] = 9;
  }
  Bytes cut = wide;
  cut.push_back(9);
  const struct {
    std::string path;
    FaultKind kind;
  } refused[] = {
      {folder_.Path("damaged.bmp"), FaultKind::kPixelsPastEnd},
      {Bitmap("zero.bmp", {.width = 0, .pixelArea = {1}}), FaultKind::kWidthWithoutRows},
      {Bitmap("wide.bmp", {.width = 40000, .pixelArea = {1}}), FaultKind::kSizeTooLarge},
      {locked, FaultKind::kCannotRead},
      {folder_.Path("short.bmp"), FaultKind::kHeadersCut},
      {Utf8FromPath(folder_.Root()), FaultKind::kNotAPlainFile},
      {folder_.Path("missing.bmp"), FaultKind::kNoSuchFile},
      {folder_.Path("a.png"), FaultKind::kDamagedPng},  // a PNG signature and nothing after it
      // Every compression but none codes its rows otherwise; raw pixels would be noise.
      {Bitmap("c1.bmp", {.compression = 1, .pixelArea = {1, 2, 3, 4}}), FaultKind::kCompressed},
      {Bitmap("c2.bmp", {.compression = 2, .pixelArea = {1, 2, 3, 4}}), FaultKind::kCompressed},
      {Bitmap("c3.bmp", {.compression = 3, .pixelArea = {1, 2, 3, 4}}), FaultKind::kCompressed},
      {Bitmap("c4.bmp", {.compression = 4, .pixelArea = {1, 2, 3, 4}}), FaultKind::kCompressed},
      {Bitmap("c5.bmp", {.compression = 5, .pixelArea = {1, 2, 3, 4}}), FaultKind::kCompressed},
      {Bitmap("c6.bmp", {.compression = 6, .pixelArea = {1, 2, 3, 4}}), FaultKind::kCompressed},
      // Run-length rows after a 124-byte header, as ImageMagick writes them.
      {Bitmap("rle124.bmp", {.infoHeaderSize = 124, .compression = 1, .pixelArea = {4, 5, 0, 1}}),
       FaultKind::kCompressed},
      // Rows not whole, or not its height: the log warns, yet no "stored, but".
      {Bitmap("cut.bmp", {.width = 100, .height = 300, .pixelArea = cut}),
       FaultKind::kCodesTooLong},
      {Bitmap("tall.bmp", {.width = 100, .height = 1, .pixelArea = wide}),
       FaultKind::kCodesTooLong},
      {Bitmap("big.bmp", {.width = 100, .height = 300, .pixelArea = wide}),
       FaultKind::kCodesTooLong},
  };
  std::vector<std::string> inputs;
  std::vector<std::pair<FaultKind, std::string>> expected;
  for (const auto& r : refused) {
    inputs.push_back(r.path);
    expected.emplace_back(r.kind, r.path);
  }
  inputs.push_back(good);
  const std::string archive = folder_.Path("out.spr");

  const pipeline::RunReport report = Encode(inputs, archive);

  EXPECT_EQ(delegate_.Faults(), expected);
  for (const pipeline::Problem& problem : delegate_.problems) {
    SCOPED_TRACE(problem.text);
    EXPECT_EQ(problem.effect, Effect::kNotStored);
    EXPECT_EQ(problem.text.rfind(problem.fault.path + ": not stored: ", 0), 0u);
  }
  // Only a picture that gets as far as its coding has an "Adding: " line.
  EXPECT_EQ(delegate_.lines[delegate_.lines.size() - 5].text,
            "Adding: " + refused[std::size(refused) - 1].path);
  EXPECT_EQ(std::ranges::count(delegate_.Texts(), "Warning: Flip Invalid!"), 1);
  const Bytes bytes = ReadFile(archive);
  EXPECT_EQ(Field16(bytes, 4), 1);
  EXPECT_EQ(bytes.size(), 8u + 6 + 4 + 1024);
  EXPECT_EQ(palette_, ArchiveOrder(goodFields.palette));  // refused pictures leave it alone
  EXPECT_EQ(report.stored, 1);
  EXPECT_EQ(report.problems, static_cast<std::int32_t>(std::size(refused)));
  EXPECT_TRUE(report.completed);
}

TEST_F(EncodeRunTest, PicturesWithOtherColoursThanTheLastAreNamedInListOrder) {
  Bytes lastButReserved = TestPalette(1);
  lastButReserved[3] = 0x77;  // the fourth byte of an entry is no colour
  // The fifth picture is 24-bit: not stored, its colours do not count.
  const std::vector<Bytes> palettes{TestPalette(2), lastButReserved, TestPalette(3),
                                    TestPalette(2), TestPalette(4),  TestPalette(1)};
  const auto writePictures = [&](bool allWithTheLastPalette) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < palettes.size(); ++i) {
      paths.push_back(Bitmap("p" + std::to_string(i) + ".bmp",
                             {.width = 3,
                              .bitsPerPixel = static_cast<std::uint16_t>(i == 4 ? 24 : 8),
                              .palette = allWithTheLastPalette ? palettes.back() : palettes[i],
                              .pixelArea = {static_cast<std::uint8_t>(i), 0, 9, 0}}));
    }
    return paths;
  };
  const std::vector<std::string> paths = writePictures(false);
  Encode(paths, folder_.Path("out.spr"));
  EXPECT_THAT(delegate_.Faults(), ElementsAre(std::pair(FaultKind::kNotEightBit, paths[4]),
                                              std::pair(FaultKind::kOtherColours, paths[0]),
                                              std::pair(FaultKind::kOtherColours, paths[2]),
                                              std::pair(FaultKind::kOtherColours, paths[3])));
  EXPECT_EQ(delegate_.Texts().back(), "Completed ");

  // The warnings change no byte: drawn with the last palette, the same
  // pictures make the same archive.
  const Bytes mixed = ReadFile(folder_.Path("out.spr"));
  EXPECT_EQ(Encode(writePictures(true), folder_.Path("out.spr")).problems, 1);
  EXPECT_EQ(ReadFile(folder_.Path("out.spr")), mixed);
}

TEST_F(EncodeRunTest, EmptyListWritesTheHeaderAndThePaletteItWasGiven) {
  palette_ = ArchiveOrder(TestPalette(9));
  const std::string archive = folder_.Path("empty.spr");
  EXPECT_TRUE(Encode({}, archive).completed);
  EXPECT_THAT(delegate_.Texts(), ElementsAre("Init", "Completed "));
  const Bytes bytes = ReadFile(archive);
  ASSERT_EQ(bytes.size(), 1032u);
  EXPECT_EQ(Field16(bytes, 4), 0);
  EXPECT_EQ(Tail(bytes, 1024), palette_);
}

TEST_F(EncodeRunTest, FirstBarTracksTheShareOfFilesDone) {
  const std::string archive = folder_.Path("bars.spr");
  const std::string one = Bitmap("one.bmp", {.pixelArea = {1, 2, 3, 4}});
  Encode({one}, archive);
  // A one-file list is done after it; the second bar is set to 0 after each file.
  EXPECT_THAT(delegate_.Percents(Bar::kFirst), ElementsAre(100));
  EXPECT_THAT(delegate_.Percents(Bar::kSecond), ElementsAre(0));
  // For nine files the bar reads 0, 12, 25, 38, 50, 62, 75, 88, 100: halves go to even.
  Encode(std::vector<std::string>(9, one), archive);
  EXPECT_THAT(delegate_.Percents(Bar::kFirst), ElementsAre(0, 12, 25, 38, 50, 62, 75, 88, 100));
}

TEST_F(EncodeRunTest, AnArchiveThatCannotBeWrittenChangesNothing) {
  const std::string picture = Bitmap("p.bmp", {.pixelArea = {1, 2, 3, 4}});
  const std::string existing = folder_.Path("old.spr");
  WriteFile(existing, Bytes{1, 2, 3});
  files_.uncreatable.insert(existing);
  const std::string nowhere = folder_.Path("no/such/folder");
  const struct {
    std::string target;
    FaultKind kind;
  } cases[] = {
      {"", FaultKind::kNoFileName},
      {Utf8FromPath(folder_.Root()), FaultKind::kNotAPlainFile},
      {nowhere + "/x.spr", FaultKind::kNoSuchFolder},
      {existing, FaultKind::kCannotWrite},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    const pipeline::RunReport report = Encode({picture}, c.target);
    ASSERT_EQ(delegate_.problems.size(), 1u);
    EXPECT_EQ(delegate_.problems[0].effect, Effect::kOutputFailed);
    EXPECT_EQ(delegate_.problems[0].fault.kind, c.kind);
    EXPECT_EQ(delegate_.lines.size(), 1u);  // its line and nothing else
    EXPECT_FALSE(report.completed);
    EXPECT_TRUE(report.outputFailed);
  }
  EXPECT_EQ(ReadFile(existing), (Bytes{1, 2, 3}));
  EXPECT_THAT(folder_.Names(), ElementsAre("old.spr", "p.bmp"));
}

TEST_F(EncodeRunTest, AFailedWriteOrAStopKeepsThePreviousArchiveAndNoTemporaryFile) {
  const std::string picture = Bitmap("p.bmp", {.pixelArea = Bytes(400, 5)});
  const std::string archive = folder_.Path("out.spr");
  WriteFile(archive, Bytes{7, 7, 7});
  files_.writeBudget = 100;  // the header fits, the entry does not
  pipeline::RunReport report = Encode({picture, picture}, archive);
  EXPECT_EQ(delegate_.problems.back().fault.text, "No space left on device");
  EXPECT_TRUE(report.outputFailed);
  EXPECT_FALSE(report.completed);
  files_.writeBudget = -1;

  // Asked to stop before the second picture.
  delegate_.stopWhen = [](long asks) { return asks == 2; };
  report = Encode({picture, picture}, archive);
  EXPECT_TRUE(report.cancelled);
  EXPECT_EQ(delegate_.problems.back().effect, Effect::kStopped);
  EXPECT_EQ(ReadFile(archive), (Bytes{7, 7, 7}));
  EXPECT_THAT(folder_.Names(), ElementsAre("out.spr", "p.bmp"));
}

TEST_F(EncodeRunTest, AStopWhileThePicturesOfMostColoursAreLookedForEndsTheRun) {
  // Two PNG pictures of 255 colours each, none shared: too many for one palette.
  std::vector<std::string> pictures;
  for (const int green : {0, 128}) {
    Bytes palette(1024);
    Bytes pixels(255);
    for (std::size_t i = 1; i < 256; ++i) {
      palette[4 * i] = static_cast<std::uint8_t>(i);
      palette[4 * i + 1] = static_cast<std::uint8_t>(green);
      pixels[i - 1] = static_cast<std::uint8_t>(i);
    }
    pictures.push_back(folder_.Path(std::to_string(green) + ".png"));
    WriteFile(pictures.back(), formats::WriteIndexedPng(255, 1, pixels, palette));
  }
  // Both counted, the second pass that names them is asked to stop.
  delegate_.stopWhen = [](long asks) { return asks > 2; };
  EXPECT_TRUE(Encode(pictures, folder_.Path("out.spr")).cancelled);
}

TEST(EncodeRunStop, AStopWhileAPaletteIsChosenFromEveryPictureEndsTheChoosing) {
  // A slow disk: choosing the palette reads the 20 pictures for a second.
  struct SlowFiles : fakes::FakeFileSystem {
    std::unique_ptr<ByteSource> OpenForReading(const std::string& path) override {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      return FakeFileSystem::OpenForReading(path);
    }
  } files;
  TempFolder folder;
  const std::vector<std::string> pictures(20, folder.Path("a.png"));
  WriteFile(pictures[0], formats::WriteIndexedPng(1, 1, Bytes{1}, Bytes(1024, 9)));
  RecordingDelegate delegate;
  delegate.stopWhen = [](long asks) { return asks > 1; };  // once the first picture is asked for
  Bytes palette;
  pipeline::EncodeRun run(files, delegate, {.mapping = {.colours = 8}});
  EXPECT_TRUE(run.Run(pictures, folder.Path("out.spr"), palette).cancelled);
  EXPECT_LT(files.opened, 10);
}

TEST_F(EncodeRunTest, AnArchiveThatIsOneOfItsPicturesIsRefusedBeforeAnythingIsRead) {
  const std::string path = Bitmap("same.bmp", {.pixelArea = {1, 2, 3, 4}});
  const std::string link = folder_.Path("link.bmp");
  std::error_code noSymbolicLinks;  // Windows gives them only to administrators
  std::filesystem::create_symlink(PathFromUtf8(path), PathFromUtf8(link), noSymbolicLinks);
  if (noSymbolicLinks) {
    std::filesystem::create_hard_link(PathFromUtf8(path), PathFromUtf8(link));
  }
  const Bytes before = ReadFile(path);
  for (const std::string& output : {path, link}) {
    SCOPED_TRACE(output);
    const pipeline::RunReport report =
        Encode({Bitmap("other.bmp", {.pixelArea = {5}}), path}, output);
    EXPECT_TRUE(report.outputFailed);
    EXPECT_THAT(delegate_.Faults(), ElementsAre(std::pair(FaultKind::kOutputIsInput, output)));
    EXPECT_EQ(delegate_.lines.size(), 1u);  // no "Init": nothing was read
  }
  EXPECT_EQ(ReadFile(path), before);
}

TEST_F(EncodeRunTest, ARunThatStoresNothingLeavesAFileThereAsItWas) {
  const std::string archive = folder_.Path("good.spr");
  Encode({Bitmap("p.bmp", {.pixelArea = {1, 2, 3, 4}})}, archive);
  const Bytes before = ReadFile(archive);
  for (const std::vector<std::string>& inputs :
       {std::vector<std::string>{}, std::vector<std::string>{folder_.Path("missing.bmp")}}) {
    const pipeline::RunReport report = Encode(inputs, archive);
    EXPECT_EQ(delegate_.Texts().back(), "Nothing stored; \"" + archive + "\" was left as it was");
    EXPECT_EQ(delegate_.problems.back().effect, Effect::kLeftAsItWas);
    EXPECT_TRUE(report.completed);
    EXPECT_FALSE(report.outputWritten);
    EXPECT_EQ(ReadFile(archive), before);
  }
}

TEST_F(EncodeRunTest, AFullDiskSaysThePreviousFileIsUnchangedOnlyWhenThereWasOne) {
  const std::string picture = Bitmap("p.bmp", {.pixelArea = Bytes(400, 5)});
  files_.writeBudget = 100;
  for (const bool existed : {false, true}) {
    const std::string archive = folder_.Path(existed ? "old.spr" : "new.spr");
    if (existed) {
      WriteFile(archive, Bytes{1});
    }
    Encode({picture}, archive);
    const std::string& text = delegate_.problems.back().text;
    EXPECT_EQ(text.find("the previous file is unchanged") != std::string::npos, existed) << text;
  }
}

}  // namespace
}  // namespace sprite::testing
