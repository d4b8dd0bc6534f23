#include <algorithm>
#include <random>

#include "app/form1_fixture.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class Form1DecodeTest : public Form1Test {
 protected:
  // Encodes the given bitmaps into an archive in the folder and returns its path.
  std::string MakeArchive(const std::vector<BitmapFields>& pictures) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      paths.push_back(WriteBitmap("in" + std::to_string(i) + ".bmp", pictures[i]));
    }
    const std::string archive = folder_.Path("pack.spr");
    Prepare(paths, archive);
    Encode();
    return archive;
  }

  void ExpectEverythingEnabled() {
    for (winsys::PushButton* button : Buttons()) {
      EXPECT_TRUE(button->Enabled()) << winsys::AsMemory(*button).Caption();
    }
    EXPECT_TRUE(Output().Enabled());
  }
};

TEST_F(Form1DecodeTest, RoundTripOfRandomBitmapsIsByteExact) {
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
  ASSERT_EQ(form_->LastRun().stored, 70);

  Decode();

  ASSERT_EQ(FileList().ListCount(), 70);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    char number[24];
    std::snprintf(number, sizeof number, "%04zu", i + 1);
    const std::string name = archive + "." + number + ".bmp";
    EXPECT_EQ(FileList().List(static_cast<std::int16_t>(i)), name);
    // Fields and palette as the tool writes them, so the file comes back byte for byte.
    EXPECT_EQ(ReadFile(name), BuildBitmap(pictures[i])) << "width " << pictures[i].width;
  }
  EXPECT_EQ(Log().Lines().front(), "Decoding...");
  EXPECT_EQ(Log().Lines()[1], "Processing bitmap: 1");
  EXPECT_EQ(Log().Lines()[70], "Processing bitmap: 70");
  EXPECT_EQ(Log().Lines().back(), "Decoded 70 pictures in .spr to .bmp");
  EXPECT_EQ(Log().ListIndex(), -1);  // Decode never moves the selection
  EXPECT_EQ(Controls().oProgressBar1.Value(), 100);
  // The row bar ends at the start of the last row: 100 x (1 + 69 x 70) / (70 x rows) < 100.
  EXPECT_LT(Controls().oProgressBar2.Value(), 100);
  EXPECT_GT(Controls().oProgressBar2.Value(), 0);
  EXPECT_TRUE(form_->LastRun().completed);
  EXPECT_EQ(form_->LastRun().problems, 0);
  ExpectEverythingEnabled();
}

TEST_F(Form1DecodeTest, DecodingAgainReplacesLongerBitmapsWholly) {
  const std::string archive = MakeArchive({{.width = 4, .height = 1, .pixelArea = {1, 2, 3, 4}}});
  WriteFile(archive + ".0001.bmp", Bytes(5000, 0xAB));
  Decode();
  EXPECT_EQ(ReadFile(archive + ".0001.bmp").size(), 1078u + 4);
  Decode();
  EXPECT_EQ(ReadFile(archive + ".0001.bmp").size(), 1078u + 4);
}

TEST_F(Form1DecodeTest, EmptyArchiveDecodesToNothing) {
  const std::string archive = MakeArchive({});
  Decode();
  EXPECT_THAT(Log().Lines(), ElementsAre("Decoding...", "Decoded 0 pictures in .spr to .bmp"));
  EXPECT_EQ(FileList().ListCount(), 0);
  EXPECT_THAT(folder_.Names(), ElementsAre("pack.spr"));
}

TEST_F(Form1DecodeTest, FileThatIsNotAnArchiveShowsErrorAndWritesNothing) {
  const std::string path = folder_.Path("picture.spr");
  WriteFile(path, Bytes(2000, 'x'));
  Prepare({"left over"}, path);
  Decode();
  EXPECT_THAT(windows_.messages, ElementsAre("Error"));
  EXPECT_THAT(
      windows_.informativeTexts,
      ElementsAre("\"" + path +
                  "\" is not a sprite archive: it starts with 78 78 78 78 (\"xxxx\"); a "
                  "sprite archive starts with 53 50 01 02 (\"SP\" and the bytes 1 and 2)."));
  EXPECT_EQ(FileList().ListCount(), 0);
  EXPECT_THAT(Log().Lines(), ElementsAre("Decoding..."));
  EXPECT_THAT(folder_.Names(), ElementsAre("picture.spr"));
  ExpectEverythingEnabled();
}

TEST_F(Form1DecodeTest, MissingOrShortArchiveIsExplainedInPlainWords) {
  const std::string shortFile = folder_.Path("short.spr");
  WriteFile(shortFile, Bytes{0x53, 0x50, 1, 2, 0, 0, 0, 0});
  for (const std::string& path : {folder_.Path("missing.spr"), shortFile, std::string("")}) {
    windows_.messages.clear();
    Prepare({}, path);
    Decode();
    ASSERT_EQ(windows_.messages.size(), 1u) << path;
    EXPECT_THAT(windows_.messages[0], HasSubstr("\"" + path + "\"")) << windows_.messages[0];
    EXPECT_THAT(Log().Lines(), ElementsAre("Decoding..."));
    ExpectEverythingEnabled();
  }
  EXPECT_THAT(windows_.messages[0], HasSubstr("no file name"));
  EXPECT_THAT(folder_.Names(), ElementsAre("short.spr"));
}

TEST_F(Form1DecodeTest, DamagedEntryIsReportedAfterItsOwnLineAndKeepsWhatWasWritten) {
  // Entries at 8 and 18, palette at 28.
  const std::string archive =
      MakeArchive({{.pixelArea = {1, 2, 3, 4}}, {.pixelArea = {5, 6, 7, 8}}});
  const Bytes whole = ReadFile(archive);
  const struct {
    std::size_t at;
    Bytes bytes;
    std::size_t damaged;  // the entry's number
    const char* error;
  } cases[] = {
      {18, {0, 0}, 2, "ERROR: entry 2 at offset 18: the width is 0"},
      {22, {0xFE, 0xFF}, 2, "ERROR: entry 2 at offset 18: the coded length is -2"},
      {22, {5, 0}, 2, "ERROR: entry 2 at offset 18: the 5-byte coded stream runs past"},
      {4, {3, 0}, 3, "ERROR: entry 3 at offset 28: the 6-byte entry head runs past"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    Bytes bytes = whole;
    std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<long>(c.at));
    WriteFile(archive, bytes);
    bool enabledAtLastLine = false;
    Log().SetOnAdd([&](const std::string&) { enabledAtLastLine = Controls().Command4.Enabled(); });
    Decode();
    const auto& lines = Log().Lines();
    ASSERT_EQ(lines.size(), c.damaged + 3);
    EXPECT_EQ(lines[c.damaged], "Processing bitmap: " + std::to_string(c.damaged));
    EXPECT_THAT(lines[c.damaged + 1], ::testing::StartsWith(c.error));
    EXPECT_EQ(lines.back(),
              "Decoded " + std::to_string(c.damaged - 1) + " pictures in .spr to .bmp");
    EXPECT_TRUE(enabledAtLastLine);
    EXPECT_EQ(FileList().ListCount(), static_cast<std::int16_t>(c.damaged - 1));
  }
}

TEST_F(Form1DecodeTest, SignatureAndNoPositiveCountDecodeAsNoEntries) {
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
    Prepare({}, archive);
    Decode();
    EXPECT_THAT(Log().Lines(), ElementsAre("Decoding...", "Decoded " + std::to_string(count) +
                                                              " pictures in .spr to .bmp"));
    EXPECT_THAT(windows_.messages, ElementsAre());
  }
}

TEST_F(Form1DecodeTest, TruncatedAtEveryOffsetEndsInAClearMessage) {
  const std::string archive =
      MakeArchive({{.width = 3, .height = 2, .pixelArea = {1, 0, 0, 0, 0, 0, 7, 0}},
                   {.width = 5, .height = 1, .pixelArea = {9, 9, 0, 0, 9, 0, 0, 0}}});
  const Bytes whole = ReadFile(archive);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    WriteFile(archive, Bytes(whole.begin(), whole.begin() + static_cast<long>(length)));
    windows_.messages.clear();
    Decode();
    const auto& lines = Log().Lines();
    if (windows_.messages.empty()) {
      // Decoded as far as the bytes allow; the last line claims no more than was written.
      ASSERT_GE(lines.size(), 2u) << length;
      EXPECT_EQ(lines.back(),
                "Decoded " + std::to_string(FileList().ListCount()) + " pictures in .spr to .bmp")
          << length;
      EXPECT_GT(form_->LastRun().problems, 0) << length;
    } else {
      EXPECT_FALSE(windows_.messages[0].empty());
      EXPECT_THAT(lines, ElementsAre("Decoding...")) << length;
    }
    ExpectEverythingEnabled();
  }
}

TEST_F(Form1DecodeTest, OtherButtonsAndTheOutputBoxTakeNothingWhileDecodeYields) {
  Bytes area(64 * 64, 3);
  MakeArchive({{.width = 64, .height = 64, .pixelArea = area}});
  bool checked = false;
  windows_.onYield = [&](long) {
    if (checked) {
      return;
    }
    checked = true;
    for (winsys::PushButton* button : Buttons()) {
      EXPECT_FALSE(button->Enabled()) << winsys::AsMemory(*button).Caption();
      Click(*button);  // a disabled button takes no clicks
    }
    EXPECT_FALSE(Output().Enabled());
  };
  Decode();
  EXPECT_TRUE(checked);
  EXPECT_GT(windows_.yields, 64);  // at least once per row
  EXPECT_EQ(Log().Lines().back(), "Decoded 1 pictures in .spr to .bmp");
  ExpectEverythingEnabled();
}

TEST_F(Form1DecodeTest, ClosingTheWindowStopsCleanlyAndThenCloses) {
  std::mt19937 random(5);
  std::vector<BitmapFields> pictures(3, BitmapFields{.width = 32, .height = 32, .pixelArea = {}});
  for (auto& picture : pictures) {
    picture.pixelArea = SpritePixelArea(random, 32, 32);
  }
  const std::string archive = MakeArchive(pictures);
  form_->Show();
  bool asked = false;
  windows_.onYield = [&](long) {
    // Close once the first bitmap has been written.
    if (!asked && FileList().ListCount() == 1) {
      asked = true;
      EXPECT_FALSE(Window().RequestClose());  // not while the decoder is inside a yield
    }
  };
  Decode();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(form_->LastRun().cancelled);
  EXPECT_FALSE(Window().Shown());
  EXPECT_EQ(FileList().ListCount(), 1);
  EXPECT_THAT(folder_.Names(),
              ElementsAre("in0.bmp", "in1.bmp", "in2.bmp", "pack.spr", "pack.spr.0001.bmp"));
}

TEST_F(Form1DecodeTest, InterruptLeavesNoPartialFile) {
  const std::string archive = MakeArchive({{.width = 8, .height = 8, .pixelArea = Bytes(64, 1)}});
  windows_.onYield = [&](long) { windows_.interrupt = true; };
  Decode();
  EXPECT_TRUE(form_->LastRun().cancelled);
  EXPECT_EQ(FileList().ListCount(), 0);
  EXPECT_THAT(folder_.Names(), ElementsAre("in0.bmp", "pack.spr"));
  ExpectEverythingEnabled();
}

}  // namespace
}  // namespace sprite::testing
