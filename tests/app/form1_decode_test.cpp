#include <algorithm>
#include <filesystem>
#include <random>

#include "app/form1_fixture.h"
#include "codec/rounded_percent.h"

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

TEST_F(Form1DecodeTest, TheWrittenFilesJoinTheListAndTheSelectionStaysPut) {
  std::mt19937 random(20261207);
  std::vector<BitmapFields> pictures;
  for (std::int32_t width = 1; width <= 5; ++width) {
    pictures.push_back({.width = width,
                        .height = 3,
                        .palette = TestPalette(3),
                        .pixelArea = SpritePixelArea(random, width, 3)});
  }
  const std::string archive = MakeArchive(pictures);
  Prepare({"left over"}, archive);

  Decode();

  ASSERT_EQ(FileList().ListCount(), 5);
  for (std::int16_t i = 0; i < 5; ++i) {
    EXPECT_EQ(ReadFile(FileList().List(i)), BuildBitmap(pictures[static_cast<std::size_t>(i)]));
  }
  EXPECT_EQ(FileList().List(4), archive + ".0005.bmp");
  const auto& lines = Log().Lines();
  EXPECT_EQ(lines[lines.size() - 2], "Decoded 5 pictures in .spr to .bmp");
  EXPECT_EQ(lines.back(), "Wrote 5 bitmaps into \"" + Utf8FromPath(folder_.Root()) + "\"");
  EXPECT_EQ(Log().ListIndex(), -1);  // Decode never moves the selection
  EXPECT_EQ(Controls().oProgressBar1.Value(), 100);
  // The row bar ends at the start of the last row.
  EXPECT_GT(Controls().oProgressBar2.Value(), 0);
  EXPECT_LT(Controls().oProgressBar2.Value(), 100);
  EXPECT_TRUE(form_->LastRun().completed);
  ExpectEverythingEnabled();
}

TEST_F(Form1DecodeTest, AnArchiveNamedWithoutAFolderIsDecodedIntoTheCurrentOneNamedInFull) {
  MakeArchive({{.pixelArea = {1, 2, 3, 4}}});
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder_.Root());
  Prepare({}, "pack.spr");
  Decode();
  std::filesystem::current_path(before);
  EXPECT_EQ(Log().Lines().back(), "Wrote 1 bitmap into \"" + Utf8FromPath(folder_.Root()) + "\"");
}

TEST_F(Form1DecodeTest, AFileThatIsNotAnArchiveShowsTheErrorBoxAfterTheRun) {
  const std::string path = folder_.Path("picture.spr");
  WriteFile(path, Bytes(2000, 'x'));
  Prepare({"left over"}, path);
  bool enabledAtTheBox = false;
  windows_.onMessageBox = [&] { enabledAtTheBox = Controls().Command4.Enabled(); };
  Decode();
  EXPECT_THAT(windows_.messages, ElementsAre("Error"));
  EXPECT_THAT(windows_.icons, ElementsAre(winsys::MessageIcon::kError));
  ASSERT_EQ(windows_.informativeTexts.size(), 1u);
  EXPECT_THAT(windows_.informativeTexts[0], ::testing::EndsWith("with Browse."));
  EXPECT_THAT(windows_.informativeTexts[0], HasSubstr("\"" + path + "\" is not a sprite archive"));
  EXPECT_TRUE(enabledAtTheBox);
  // The list the user made is not lost to a file that is not an archive.
  EXPECT_THAT(FileList().Lines(), ElementsAre("left over"));
  EXPECT_THAT(Log().Lines(), ElementsAre("Decoding..."));
  EXPECT_EQ(form_->LastRun().problems, 1);

  // One that cannot be opened says so in the box's text.
  windows_.messages.clear();
  Prepare({}, folder_.Path("missing.spr"));
  Decode();
  ASSERT_EQ(windows_.messages.size(), 1u);
  EXPECT_THAT(windows_.messages[0], HasSubstr("\"" + folder_.Path("missing.spr") + "\""));
  ExpectEverythingEnabled();
}

TEST_F(Form1DecodeTest, ADamagedEntryIsLoggedAndTheButtonsComeBackBeforeTheLastLine) {
  const std::string archive =
      MakeArchive({{.pixelArea = {1, 2, 3, 4}}, {.pixelArea = {5, 6, 7, 8}}});
  Bytes bytes = ReadFile(archive);
  bytes[18] = 0;  // entry 2 has width 0
  WriteFile(archive, bytes);
  bool enabledAtDecodedLine = false;
  Log().SetOnAdd([&](const std::string& line) {
    if (line.starts_with("Decoded ")) {
      enabledAtDecodedLine = Controls().Command4.Enabled();
    }
  });
  Decode();
  const auto& lines = Log().Lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[2], "Processing bitmap: 2");
  EXPECT_THAT(lines[3], ::testing::StartsWith("ERROR: " + archive + ": entry 2 at offset 18"));
  EXPECT_EQ(lines[4], "Decoded 1 pictures in .spr to .bmp");
  EXPECT_TRUE(enabledAtDecodedLine);
  EXPECT_EQ(FileList().ListCount(), 1);
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
    // The menu's commands too; only Exit stays, as the close box does.
    for (const auto& menu : Window().Menus()) {
      for (const auto& item : menu->Items()) {
        const bool exit = item->Design().caption == "E&xit";
        EXPECT_EQ(item->Enabled(), exit || item->Design().caption.empty())
            << item->Design().caption;
      }
    }
    MenuItem("&List", "&Clear").Choose();
  };
  Decode();
  EXPECT_TRUE(checked);
  EXPECT_EQ(FileList().ListCount(), 1);
  EXPECT_GT(windows_.yields, 64);  // at least once per row
  EXPECT_EQ(Log().Lines().end()[-2], "Decoded 1 pictures in .spr to .bmp");
  ExpectEverythingEnabled();
}

TEST_F(Form1DecodeTest, EveryYieldShowsTheBarsAsTheDecoderLastSetThem) {
  // 4096 literal bytes: the first bar steps through every percent, and a yield
  // follows each step; then a yield comes before each of the 64 rows' steps.
  MakeArchive({{.width = 64, .height = 64, .pixelArea = Bytes(64 * 64, 3)}});
  Controls().oProgressBar2.SetValue(7);
  std::vector<std::pair<std::int32_t, std::int32_t>> shown;
  windows_.onYield = [&](long) {
    shown.emplace_back(Controls().oProgressBar1.Value(), Controls().oProgressBar2.Value());
  };
  Decode();
  ASSERT_EQ(shown.size(), 101u + 64u);
  for (std::int32_t percent = 0; percent <= 100; ++percent) {
    EXPECT_EQ(shown[static_cast<std::size_t>(percent)], std::pair(percent, 7));
  }
  for (std::int32_t row = 1; row < 64; ++row) {
    EXPECT_EQ(shown[static_cast<std::size_t>(100 + row + 1)],
              std::pair(100, codec::RoundedPercent(1 + (row - 1) * 64, 64 * 64)));
  }
  EXPECT_EQ(Controls().oProgressBar2.Value(), codec::RoundedPercent(1 + 63 * 64, 64 * 64));
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

TEST_F(Form1DecodeTest, AWindowSystemThatLooksEverySixteenYieldsStillStopsTheRun) {
  std::mt19937 random(6);
  std::vector<BitmapFields> pictures(3, BitmapFields{.width = 32, .height = 32, .pixelArea = {}});
  for (auto& picture : pictures) {
    picture.pixelArea = SpritePixelArea(random, 32, 32);
  }
  MakeArchive(pictures);
  windows_.yieldsPerLook = 16;
  windows_.onYield = [&](long) {
    if (FileList().ListCount() == 1) {
      Window().RequestClose();
    }
  };
  Decode();
  EXPECT_TRUE(form_->LastRun().cancelled);
  EXPECT_EQ(FileList().ListCount(), 1);
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
