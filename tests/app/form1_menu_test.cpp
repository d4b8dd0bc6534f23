// The menu bar: the file list's order, Encode and Decode before an archive is
// named, and the Options, which outlive the window.
#include "app/form1_fixture.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Dialogs = fakes::FakeCommonDialogCalls;

class Form1MenuTest : public Form1Test {
 protected:
  // A modal window's line set to `text` and its OK clicked, as often as given.
  void AnswerDialogs(std::vector<std::string> texts) {
    windows_.whileShown = [this, texts](winsys::MemoryWindow& dialog) mutable {
      for (const std::string& text : texts) {
        dialog.TextBoxNamed("txtValue").SetText(text);
        dialog.ButtonNamed("cmdOK").Click();
        if (!dialog.Shown()) {
          return;
        }
      }
    };
  }
};

TEST_F(Form1MenuTest, TheListIsReorderedByTheMenuTheKeysAndDrags) {
  Prepare({"/d/walk_10.png", "/e/walk_2.png", "/d/idle.png"}, "#");
  const auto moveUp = [&] { MenuItem("&List", "Move &Up").Choose(); };
  const auto moveDown = [&] { MenuItem("&List", "Move &Down").Choose(); };
  EXPECT_EQ(MenuItem("&List", "Move &Up").Design().shortcut.key, winsys::VK_UP);
  moveUp();  // nothing selected
  FileList().SetListIndex(0);
  moveUp();  // the first stays first
  moveDown();
  EXPECT_THAT(FileList().Lines(), ElementsAre("/e/walk_2.png", "/d/walk_10.png", "/d/idle.png"));
  EXPECT_EQ(FileList().ListIndex(), 1);  // the selection moves with the entry
  moveDown();
  moveDown();  // the last stays last
  EXPECT_THAT(FileList().Lines(), ElementsAre("/e/walk_2.png", "/d/idle.png", "/d/walk_10.png"));
  FileList().Drag(2, 0);
  EXPECT_THAT(FileList().Lines(), ElementsAre("/d/walk_10.png", "/e/walk_2.png", "/d/idle.png"));
  EXPECT_EQ(FileList().ListIndex(), 0);

  MenuItem("&List", "&Sort by Name").Choose();
  EXPECT_THAT(FileList().Lines(), ElementsAre("/d/idle.png", "/e/walk_2.png", "/d/walk_10.png"));
  MenuItem("&List", "&Clear").Choose();
  EXPECT_EQ(FileList().ListCount(), 0);
}

// On Windows a click on the menu bar gets through while Encode refreshes the
// window: what is chosen then waits for nothing and does nothing.
TEST_F(Form1MenuTest, CommandsChosenDuringARunDoNothing) {
  const std::string picture =
      WriteBitmap("p.bmp", {.width = 8, .height = 8, .pixelArea = Bytes(64, 1)});
  Prepare({picture}, folder_.Path("walk.spr"));
  windows_.onRefresh = [&](long) {
    MenuItem("&List", "&Clear").Choose();
    MenuItem("&File", "&Decode").Choose();
  };
  Encode();
  EXPECT_GT(windows_.refreshes, 0);
  EXPECT_EQ(form_->LastRun().stored, 1);
  EXPECT_THAT(FileList().Lines(), ElementsAre(picture));
  EXPECT_EQ(Log().Lines().front(), "Init");
}

TEST_F(Form1MenuTest, EncodeAndDecodeAskForTheArchiveWhileTheBoxNamesNone) {
  const std::string picture =
      WriteBitmap("p.bmp", {.width = 8, .height = 8, .pixelArea = Bytes(64, 1)});
  Prepare({picture}, "#");
  Log().AddItem("the last run");
  for (const char* output : {"#", " "}) {
    Output().SetText(output);
    windows_.dialogs.answers = {Dialogs::Cancel(), Dialogs::Cancel()};
    Encode();
    Decode();
  }
  ASSERT_EQ(windows_.dialogs.requests.size(), 4u);
  EXPECT_EQ(windows_.dialogs.requests[0].function, "GetSaveFileNameA");
  EXPECT_EQ(windows_.dialogs.requests[1].function, "GetOpenFileNameA");
  constexpr char kArchives[] = "Sprite Archive (*.spr)\0*.spr\0";  // and the NUL that ends it
  EXPECT_EQ(windows_.dialogs.requests[1].record.lpstrFilter,
            std::string(kArchives, sizeof kArchives));
  // Cancelled: nothing ran, nothing was written.
  EXPECT_THAT(Log().Lines(), ElementsAre("the last run"));
  EXPECT_THAT(FileList().Lines(), ElementsAre(picture));
  EXPECT_THAT(folder_.Names(), ElementsAre("p.bmp"));

  const std::string archive = folder_.Path("walk.spr");
  windows_.dialogs.answers = {Dialogs::Confirm(archive + '\0')};
  Encode();
  EXPECT_EQ(Output().Text(), archive);
  EXPECT_EQ(form_->LastRun().stored, 1);
  Output().SetText("#");
  windows_.dialogs.answers = {Dialogs::Confirm(archive + '\0')};
  Decode();
  EXPECT_THAT(FileList().Lines(), ElementsAre(archive + ".0001.bmp"));
}

TEST_F(Form1MenuTest, DecodeToPngWritesPngPicturesAndIsKeptForTheNextRun) {
  const std::string picture =
      WriteBitmap("p.bmp", {.width = 8, .height = 8, .pixelArea = Bytes(64, 1)});
  const std::string archive = folder_.Path("walk.spr");
  Prepare({picture}, archive);
  Encode();
  winsys::MemoryMenuItem& png = MenuItem("&Options", "Decode to &PNG pictures");
  EXPECT_FALSE(png.Checked());
  png.Choose();
  Decode();
  EXPECT_THAT(FileList().Lines(), ElementsAre(archive + ".0001.png"));
  EXPECT_EQ(Log().Lines().back(),
            "Wrote 1 PNG picture into \"" + Utf8FromPath(folder_.Root()) + "\"");

  // The next window starts with the options the last one left.
  form_ = std::make_unique<app::Form1>(windows_, files_);
  EXPECT_TRUE(MenuItem("&Options", "Decode to &PNG pictures").Checked());
  EXPECT_TRUE(form_->Options().decodeToPng);
}

TEST_F(Form1MenuTest, TheThresholdAndThePaletteAreAskedForCheckedAndUsedByEncode) {
  AnswerDialogs({"300", " 128 "});
  MenuItem("&Options", "&Alpha threshold…").Choose();
  EXPECT_THAT(windows_.messages, ElementsAre(HasSubstr("from 1 to 255")));
  EXPECT_EQ(form_->Options().alphaThreshold, 128);
  AnswerDialogs({""});
  MenuItem("&Options", "&Alpha threshold…").Choose();
  EXPECT_EQ(form_->Options().alphaThreshold, std::nullopt);

  const std::string palette = folder_.Path("game.gpl");
  windows_.whileShown = [&](winsys::MemoryWindow& dialog) {
    windows_.dialogs.answers = {Dialogs::Confirm(palette + '\0')};
    dialog.ButtonNamed("cmdBrowse").Click();
    dialog.ButtonNamed("cmdOK").Click();
  };
  MenuItem("&Options", "&Target palette…").Choose();
  EXPECT_EQ(windows_.settings.values["TargetPalette"], palette);

  // Encode reads the palette, which is not there: nothing is stored.
  const std::string picture =
      WriteBitmap("p.bmp", {.width = 8, .height = 8, .pixelArea = Bytes(64, 1)});
  Prepare({picture}, folder_.Path("walk.spr"));
  Encode();
  EXPECT_EQ(form_->LastRun().stored, 0);
  EXPECT_THAT(Log().Lines(),
              ::testing::Contains(HasSubstr("cannot use the target palette \"" + palette)));

  // Cancel keeps the palette.
  windows_.whileShown = [](winsys::MemoryWindow& dialog) {
    dialog.TextBoxNamed("txtValue").SetText("");
    dialog.ButtonNamed("cmdCancel").Click();
  };
  MenuItem("&Options", "&Target palette…").Choose();
  EXPECT_EQ(form_->Options().targetPalette, palette);
}

TEST_F(Form1MenuTest, TheValueItemsAreCheckedWhileTheyHoldAValue) {
  const struct {
    const char* item;
    const char* typed;  // nullptr: Cancel; a value refused is also left by closing
    bool checked;
  } steps[] = {
      {"&Alpha threshold…", "128", true},  {"&Alpha threshold…", nullptr, true},
      {"&Alpha threshold…", "300", true},  {"&Alpha threshold…", "", false},
      {"&Colours…", "16", true},           {"&Colours…", nullptr, true},
      {"&Colours…", "0", false},           {"&Target palette…", "game.gpl", true},
      {"&Target palette…", nullptr, true},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(std::string(step.item) + " " + (step.typed ? step.typed : "Cancel"));
    if (step.typed != nullptr) {
      AnswerDialogs({step.typed});
    } else {
      windows_.whileShown = [](winsys::MemoryWindow& dialog) {
        dialog.ButtonNamed("cmdCancel").Click();
      };
    }
    MenuItem("&Options", step.item).Choose();
    EXPECT_EQ(MenuItem("&Options", step.item).Checked(), step.checked);
  }
  // The next window starts with the marks of the options the last one left.
  form_ = std::make_unique<app::Form1>(windows_, files_);
  EXPECT_TRUE(MenuItem("&Options", "&Target palette…").Checked());
  EXPECT_FALSE(MenuItem("&Options", "&Alpha threshold…").Checked());
}

TEST_F(Form1MenuTest, ATypedPaletteIsKeptAsTheFileItNamesFromTheCurrentFolder) {
  const std::string game =
      Utf8FromPath((std::filesystem::current_path() / "game.gpl").lexically_normal());
  const struct {
    std::string typed;
    std::string kept;
  } cases[] = {{"game.gpl", game}, {"pals/../game.gpl", game}, {"   ", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    AnswerDialogs({c.typed});
    MenuItem("&Options", "&Target palette…").Choose();
    EXPECT_EQ(windows_.settings.values["TargetPalette"], c.kept);
  }
  // A blank line is no palette: the colours may be chosen.
  AnswerDialogs({"16"});
  MenuItem("&Options", "&Colours…").Choose();
  EXPECT_EQ(form_->Options().colours, 16u);
}

TEST_F(Form1MenuTest, DitheringIsOneChoiceAndColoursAreKeptButNeverBesideAPalette) {
  const auto dither = [&](const char* caption) -> winsys::MemoryMenuItem& {
    return MenuItem("&Options", caption);
  };
  EXPECT_TRUE(dither("&No dithering").Checked());
  for (int twice = 0; twice < 2; ++twice) {
    dither("&Floyd–Steinberg dithering").Choose();
    EXPECT_TRUE(dither("&Floyd–Steinberg dithering").Checked());
    EXPECT_FALSE(dither("&No dithering").Checked());
  }
  AnswerDialogs({"300", "16"});
  MenuItem("&Options", "&Colours…").Choose();
  EXPECT_THAT(windows_.messages, ElementsAre(HasSubstr("from 0 to 255")));
  const pipeline::ColourMapping mapping = form_->Options().ForEncode().mapping;
  EXPECT_EQ(mapping.colours, 16u);
  EXPECT_EQ(mapping.dither, colour::Dither::kFloydSteinberg);

  // A palette given beside the colours to choose is refused until they are emptied.
  windows_.messages.clear();
  AnswerDialogs({"game.gpl", ""});
  MenuItem("&Options", "&Target palette…").Choose();
  EXPECT_THAT(windows_.messages, ElementsAre(HasSubstr("not both")));
  EXPECT_EQ(form_->Options().targetPalette, "");

  form_ = std::make_unique<app::Form1>(windows_, files_);
  EXPECT_TRUE(dither("&Floyd–Steinberg dithering").Checked());
  EXPECT_FALSE(dither("&Ordered dithering").Checked());
  EXPECT_EQ(form_->Options().colours, 16u);
}

}  // namespace
}  // namespace sprite::testing
