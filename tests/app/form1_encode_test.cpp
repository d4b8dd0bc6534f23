#include <algorithm>

#include "app/form1_fixture.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;

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
    out[i + 3] = 0;
  }
  return out;
}

bool Overlap(const winsys::TwipsRect& a, const winsys::TwipsRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// What the user meets when the window opens: its caption and font, the
// controls in the order Tab walks them, each inside the window and clear of
// every other, the buttons in one column, and the captions and contents.
TEST(Form1LayoutTest, ControlsLieInsideTheWindowClearOfEachOtherInTabOrder) {
  fakes::FakeWindowSystem windows;
  fakes::FakeFileSystem files;
  app::Form1 form(windows, files);
  const auto& window = static_cast<const winsys::MemoryWindow&>(form.Window());
  const winsys::WindowSpec& design = window.Design();
  EXPECT_EQ(design.caption, "Sprite Encoder");
  EXPECT_EQ(design.font.name, "Tahoma");
  EXPECT_TRUE(design.fixedBorder);
  EXPECT_TRUE(design.centred);

  EXPECT_THAT(window.TabOrder(),
              ElementsAre("List1", "Command1", "lstFiles", "txtOut", "Command2", "Command3",
                          "Command4", "Command5", "cmdAbout", "oProgressBar1", "oProgressBar2"));
  const std::vector<std::string>& names = window.TabOrder();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const winsys::TwipsRect& rect = window.RectOf(names[i]);
    SCOPED_TRACE(names[i]);
    EXPECT_GT(rect.width, 0);
    EXPECT_GT(rect.height, 0);
    EXPECT_GE(rect.left, 0);
    EXPECT_GE(rect.top, 0);
    EXPECT_LE(rect.left + rect.width, design.clientWidth);
    EXPECT_LE(rect.top + rect.height, design.clientHeight);
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      EXPECT_FALSE(Overlap(rect, window.RectOf(names[j]))) << "over " << names[j];
    }
  }
  const winsys::TwipsRect& add = window.RectOf("Command1");
  for (const char* button : {"Command2", "Command3", "Command4", "Command5", "cmdAbout"}) {
    const winsys::TwipsRect& rect = window.RectOf(button);
    EXPECT_EQ(std::vector<int>({rect.left, rect.width, rect.height}),
              std::vector<int>({add.left, add.width, add.height}))
        << button;
  }

  const app::Form1Controls controls = form.Controls();
  std::vector<std::string> captions;
  for (winsys::PushButton* button : {&controls.Command1, &controls.Command5, &controls.Command3,
                                     &controls.Command4, &controls.Command2, &controls.cmdAbout}) {
    captions.push_back(winsys::AsMemory(*button).Caption());
  }
  EXPECT_THAT(captions,
              ElementsAre("&Add", "&Remove", "&Encode", "&Decode", "&Browse", "About ;]"));
  EXPECT_EQ(controls.txtOut.Text(), "#");
  EXPECT_EQ(controls.List1.ListCount(), 0);
  EXPECT_EQ(controls.lstFiles.ListCount(), 0);
  // Both bars span 1 to 100 and stand at the start.
  for (const controls::oProgressBar* bar : {&controls.oProgressBar1, &controls.oProgressBar2}) {
    EXPECT_EQ(bar->Min(), 1);
    EXPECT_EQ(bar->Max(), 100);
    EXPECT_EQ(bar->Value(), 0);
  }
  EXPECT_EQ(form.Palette(), Bytes(1024, 0));
}

class Form1EncodeTest : public Form1Test {};

TEST_F(Form1EncodeTest, LogsEveryStepAndStoresOnlyAcceptedPictures) {
  BitmapFields good{
      .width = 3, .height = 2, .palette = TestPalette(1), .pixelArea = {1, 2, 3, 0, 4, 5, 6, 0}};
  BitmapFields trueColour = good;
  trueColour.bitsPerPixel = 24;
  BitmapFields dirtyPadding = good;
  dirtyPadding.pixelArea = {1, 2, 3, 0xFF, 4, 5, 6, 0};
  const std::string a = WriteBitmap("a.bmp", good);
  const std::string b = WriteBitmap("b.bmp", trueColour);
  const std::string c = WriteBitmap("c.bmp", dirtyPadding);
  const std::string archive = folder_.Path("out.spr");
  Prepare({a, b, c}, archive);

  Encode();

  EXPECT_THAT(Log().Lines(), ElementsAre("Init", "Adding: " + a, kOk, kRejected, "Adding: " + c,
                                         "Warning: Flip Invalid!", kOk, "Completed "));
  EXPECT_EQ(Log().ListIndex(), 7);
  const Bytes bytes = ReadFile(archive);
  // Header with two entries, two entries of 6 + 6 bytes, the palette of the last one.
  ASSERT_EQ(bytes.size(), 8u + 2 * 12 + 1024);
  EXPECT_THAT(Bytes(bytes.begin(), bytes.begin() + 8),
              ElementsAre(0x53, 0x50, 0x01, 0x02, 2, 0, 0, 0));
  EXPECT_THAT(Bytes(bytes.begin() + 8, bytes.begin() + 20),
              ElementsAre(3, 0, 2, 0, 6, 0, 4, 5, 6, 1, 2, 3));
  EXPECT_EQ(Tail(bytes, 1024), ArchiveOrder(dirtyPadding.palette));
  EXPECT_EQ(form_->Palette(), ArchiveOrder(dirtyPadding.palette));
  EXPECT_EQ(Controls().oProgressBar1.Value(), 100);
  EXPECT_EQ(Controls().oProgressBar2.Value(), 0);
}

TEST_F(Form1EncodeTest, CompressedBitmapsAreNotStoredAndLeaveThePaletteAlone) {
  const BitmapFields good{.palette = TestPalette(1), .pixelArea = {1, 2, 3, 4}};
  // Run-length rows after a 124-byte header as ImageMagick writes them (four
  // bytes 05, end of line, end of bitmap), and compression 1 over raw rows.
  for (const BitmapFields& compressed :
       {BitmapFields{.infoHeaderSize = 124, .compression = 1, .pixelArea = {4, 5, 0, 0, 0, 1}},
        BitmapFields{.compression = 1, .pixelArea = {1, 2, 3, 4}}}) {
    SCOPED_TRACE(compressed.infoHeaderSize);
    const std::string path = WriteBitmap("compressed.bmp", compressed);
    Prepare({WriteBitmap("good.bmp", good), path}, folder_.Path("out.spr"));
    Encode();
    EXPECT_THAT(Log().Lines(), ElementsAre("Init", "Adding: " + folder_.Path("good.bmp"), kOk,
                                           "ERROR: \"" + path +
                                               "\" is compressed (compression 1); only "
                                               "uncompressed bitmaps can be stored",
                                           "Completed "));
    EXPECT_EQ(form_->Palette(), ArchiveOrder(good.palette));
    EXPECT_EQ(ReadFile(folder_.Path("out.spr")).size(), 8u + 6 + 4 + 1024);
  }
}

TEST_F(Form1EncodeTest, PicturesWithOtherColoursThanTheLastAreNamedInListOrder) {
  Bytes lastButReserved = TestPalette(1);
  lastButReserved[3] = 0x77;  // the fourth byte of an entry is no colour
  // The fifth picture is 24-bit: not stored, its colours do not count.
  const std::vector<Bytes> palettes{TestPalette(2), lastButReserved, TestPalette(3),
                                    TestPalette(2), TestPalette(4),  TestPalette(1)};
  std::vector<std::string> paths;
  const auto writePictures = [&](bool allWithTheLastPalette) {
    paths.clear();
    for (std::size_t i = 0; i < palettes.size(); ++i) {
      paths.push_back(WriteBitmap("p" + std::to_string(i) + ".bmp",
                                  {.width = 3,
                                   .bitsPerPixel = static_cast<std::uint16_t>(i == 4 ? 24 : 8),
                                   .palette = allWithTheLastPalette ? palettes.back() : palettes[i],
                                   .pixelArea = {static_cast<std::uint8_t>(i), 0, 9, 0}}));
    }
  };
  writePictures(false);
  Prepare(paths, folder_.Path("out.spr"));
  Encode();
  const auto warning = [](const std::string& path) {
    return "Warning: \"" + path +
           "\" has other colours than the last picture; the archive keeps only the last palette";
  };
  const auto& lines = Log().Lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 4, lines.end()),
              ElementsAre(warning(paths[0]), warning(paths[2]), warning(paths[3]), "Completed "));

  // The warnings change no byte: drawn with the last palette, the same
  // pictures make the same archive.
  const Bytes mixed = ReadFile(folder_.Path("out.spr"));
  writePictures(true);
  Encode();
  EXPECT_EQ(form_->LastRun().problems, 1);
  EXPECT_EQ(ReadFile(folder_.Path("out.spr")), mixed);
}

TEST_F(Form1EncodeTest, RLECompressGivesTheEncodersStreamAndYieldsToTheWindowPerZeroByte) {
  Bytes coded;
  form_->RLECompress({7, 0, 0, 0, 9, 0}, coded, 6);
  EXPECT_EQ(coded, (Bytes{7, 0, 3, 9, 0, 1}));
  EXPECT_EQ(windows_.yields, 4);
}

TEST_F(Form1EncodeTest, EmptyListWritesHeaderAndThePaletteKeptFromEarlierRuns) {
  const std::string archive = folder_.Path("empty.spr");
  Prepare({}, archive);
  Encode();
  EXPECT_THAT(Log().Lines(), ElementsAre("Init", "Completed "));
  Bytes bytes = ReadFile(archive);
  ASSERT_EQ(bytes.size(), 1032u);
  EXPECT_EQ(Tail(bytes, 1024), Bytes(1024, 0));

  // A run that accepts a bitmap changes the palette; a later run that accepts
  // none writes that palette again.
  BitmapFields picture{
      .width = 4, .height = 1, .palette = TestPalette(9), .pixelArea = {0, 0, 7, 7}};
  Prepare({WriteBitmap("p.bmp", picture)}, archive);
  Encode();
  Prepare({folder_.Path("missing.bmp")}, archive);
  Encode();
  EXPECT_THAT(Log().Lines(), ElementsAre("Init", kRejected, "Completed "));
  bytes = ReadFile(archive);
  ASSERT_EQ(bytes.size(), 1032u);
  EXPECT_EQ(Field16(bytes, 4), 0);
  EXPECT_EQ(Tail(bytes, 1024), ArchiveOrder(picture.palette));
}

TEST_F(Form1EncodeTest, FirstBarTracksTheShareOfFilesDone) {
  const std::string archive = folder_.Path("bars.spr");
  const std::string one = WriteBitmap("one.bmp", {.pixelArea = {1, 2, 3, 4}});
  Controls().oProgressBar2.SetValue(55);
  Prepare({one}, archive);
  Encode();
  EXPECT_EQ(Controls().oProgressBar1.Value(), 100);  // a one-file list is done after it
  EXPECT_EQ(Controls().oProgressBar2.Value(), 0);

  // For nine files the bar reads 0, 12, 25, 38, 50, 62, 75, 88, 100: halves go to even.
  std::vector<std::int32_t> seen;
  Prepare(std::vector<std::string>(9, one), archive);
  Log().SetOnAdd([&](const std::string& line) {
    if (line.rfind("Adding: ", 0) == 0 || line == "Completed ") {
      seen.push_back(Controls().oProgressBar1.Value());
    }
  });
  Encode();
  // Each value is read when the next file starts; the last one at "Completed ".
  EXPECT_THAT(seen, ElementsAre(100, 0, 12, 25, 38, 50, 62, 75, 88, 100));
}

TEST_F(Form1EncodeTest, ProblemFilesAreReportedByNameAndNotStored) {
  const std::string good = WriteBitmap("good.bmp", {.pixelArea = {1, 2, 3, 4}});
  const std::string damaged = folder_.Path("damaged.bmp");
  Bytes damagedBytes = BuildBitmap({.pixelArea = {}});
  damagedBytes[10] = 0x88;  // pixel offset 5000 in a 1078-byte file
  damagedBytes[11] = 0x13;
  WriteFile(damaged, damagedBytes);
  const std::string zeroWidth = WriteBitmap("zero.bmp", {.width = 0, .pixelArea = {1}});
  const std::string tooWide = WriteBitmap("wide.bmp", {.width = 40000, .pixelArea = {1}});
  const std::string locked = WriteBitmap("locked.bmp", {.pixelArea = {1, 2, 3, 4}});
  files_.unreadable.insert(locked);
  const std::string shortFile = folder_.Path("short.bmp");
  WriteFile(shortFile, Bytes{'B', 'M', 0, 0});
  const std::string archive = folder_.Path("out.spr");
  Prepare({damaged, zeroWidth, tooWide, locked, shortFile, Utf8FromPath(folder_.Root()), good},
          archive);

  Encode();

  const auto& lines = Log().Lines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Init");
  EXPECT_NE(lines[1].find("damaged.bmp"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("past the end"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("zero.bmp"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("40000"), std::string::npos) << lines[3];
  EXPECT_EQ(lines[4], "ERROR: cannot read \"" + locked + "\": Permission denied");
  EXPECT_EQ(lines[5], kRejected);  // too short for its headers: fields read as zero
  EXPECT_NE(lines[6].find("folder"), std::string::npos) << lines[6];
  EXPECT_EQ(lines[7], "Adding: " + good);
  EXPECT_EQ(lines[9], "Completed ");
  const Bytes bytes = ReadFile(archive);
  EXPECT_EQ(Field16(bytes, 4), 1);
  EXPECT_EQ(bytes.size(), 8u + 6 + 4 + 1024);
  EXPECT_EQ(form_->LastRun().stored, 1);
  EXPECT_EQ(form_->LastRun().problems, 6);
}

TEST_F(Form1EncodeTest, PictureThatCodesPastTheEntryLimitIsSkipped) {
  // Alternating zero and colour bytes code to one and a half times their size.
  Bytes area(30000);
  for (std::size_t i = 0; i < area.size(); i += 2) {
    area[i] = 9;
  }
  const std::string big = WriteBitmap("big.bmp", {.width = 100, .height = 300, .pixelArea = area});
  const std::string archive = folder_.Path("out.spr");
  Prepare({big}, archive);
  Encode();
  ASSERT_EQ(Log().Lines().size(), 4u);
  EXPECT_EQ(Log().Lines()[1], "Adding: " + big);
  EXPECT_NE(Log().Lines()[2].find("32766"), std::string::npos) << Log().Lines()[2];
  EXPECT_EQ(ReadFile(archive).size(), 1032u);
  EXPECT_EQ(form_->Palette(), Bytes(1024, 0));
}

TEST_F(Form1EncodeTest, UnwritableOutputIsOneLineAndChangesNothing) {
  const std::string picture = WriteBitmap("p.bmp", {.pixelArea = {1, 2, 3, 4}});
  const std::string existing = folder_.Path("old.spr");
  WriteFile(existing, Bytes{1, 2, 3});
  files_.uncreatable.insert(existing);
  for (const std::string& target : {std::string(""), Utf8FromPath(folder_.Root()),
                                    folder_.Path("no/such/folder/x.spr"), existing}) {
    Prepare({picture}, target);
    Encode();
    ASSERT_EQ(Log().Lines().size(), 1u) << target;
    EXPECT_EQ(Log().Lines()[0].rfind("ERROR: cannot write the archive \"" + target + "\": ", 0), 0u)
        << Log().Lines()[0];
    EXPECT_FALSE(form_->LastRun().completed);
    EXPECT_TRUE(form_->LastRun().outputFailed);
  }
  EXPECT_EQ(ReadFile(existing), (Bytes{1, 2, 3}));
  EXPECT_THAT(folder_.Names(), ElementsAre("old.spr", "p.bmp"));
}

TEST_F(Form1EncodeTest, FailedWriteKeepsThePreviousArchiveAndLeavesNoTemporaryFile) {
  const std::string picture = WriteBitmap("p.bmp", {.pixelArea = Bytes(400, 5)});
  const std::string archive = folder_.Path("out.spr");
  WriteFile(archive, Bytes{7, 7, 7});
  files_.writeBudget = 100;  // the header fits, the entry does not
  Prepare({picture, picture}, archive);
  Encode();
  EXPECT_EQ(ReadFile(archive), (Bytes{7, 7, 7}));
  EXPECT_THAT(folder_.Names(), ElementsAre("out.spr", "p.bmp"));
  EXPECT_NE(Log().Lines().back().find("No space left on device"), std::string::npos);
  EXPECT_FALSE(form_->LastRun().completed);
}

TEST_F(Form1EncodeTest, ListedFileThatIsAlsoTheOutputIsReadBeforeItIsReplaced) {
  BitmapFields fields{.width = 2, .height = 2, .pixelArea = {1, 2, 0, 0, 3, 4, 0, 0}};
  const std::string path = WriteBitmap("same.bmp", fields);
  Prepare({path}, path);
  Encode();
  EXPECT_THAT(Log().Lines(), ElementsAre("Init", "Adding: " + path, kOk, "Completed "));
  const Bytes bytes = ReadFile(path);
  EXPECT_THAT(Bytes(bytes.begin() + 8, bytes.begin() + 18),
              ElementsAre(2, 0, 2, 0, 4, 0, 3, 4, 1, 2));
}

TEST_F(Form1EncodeTest, InterruptStopsBetweenFilesWithoutTouchingTheArchive) {
  const std::string picture = WriteBitmap("p.bmp", {.pixelArea = {1, 2, 3, 4}});
  const std::string archive = folder_.Path("out.spr");
  WriteFile(archive, Bytes{9});
  windows_.interrupt = true;
  Prepare({picture}, archive);
  Encode();
  EXPECT_TRUE(form_->LastRun().cancelled);
  EXPECT_EQ(ReadFile(archive), Bytes{9});
  EXPECT_THAT(folder_.Names(), ElementsAre("out.spr", "p.bmp"));
}

}  // namespace
}  // namespace sprite::testing
