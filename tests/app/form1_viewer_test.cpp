// The file list's entries in the viewer: double-click or Enter opens it, the
// selection leads it, one viewer at a time, and it goes when the window goes.
#include <random>

#include "app/form1_fixture.h"
#include "viewer/frm_viewer.h"
#include "winsys/memory/memory_picture_window.h"

namespace sprite::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class Form1ViewerTest : public Form1Test {
 protected:
  Form1ViewerTest() {
    std::mt19937 random(19);
    hero_ = WriteBitmap("hero.bmp", {.width = 38,
                                     .height = 44,
                                     .palette = TestPalette(1),
                                     .pixelArea = SpritePixelArea(random, 38, 44)});
    door_ = WriteBitmap("door.bmp", {.width = 17,
                                     .height = -30,
                                     .palette = TestPalette(1),
                                     .pixelArea = SpritePixelArea(random, 17, 30)});
    broken_ = folder_.Path("slime24.bmp");
    WriteFile(broken_, BuildBitmap({.width = 4, .height = 1, .bitsPerPixel = 24}));
    Prepare({hero_, door_, broken_}, folder_.Path("pack.spr"));
    form_->Show();
  }

  viewer::frmViewer& Viewer() { return *form_->Viewer(); }
  winsys::MemoryPictureWindow& ViewerWindow() { return winsys::AsMemory(*Viewer().LoadedWindow()); }

  std::string hero_;
  std::string door_;
  std::string broken_;
};

TEST_F(Form1ViewerTest, DoubleClickOpensTheEntryInTheViewer) {
  EXPECT_EQ(form_->Viewer(), nullptr);  // made on first use
  FileList().DoubleClick(0);
  ASSERT_NE(form_->Viewer(), nullptr);
  EXPECT_TRUE(Viewer().Showing());
  EXPECT_EQ(Viewer().Path(), hero_);
  EXPECT_EQ(ViewerWindow().Caption(), "hero.bmp - Sprite Viewer");
  EXPECT_THAT(ViewerWindow().Text(), StartsWith("hero.bmp: 38 \u00D7 44 pixels, "));
  // Not modal: the main window goes on taking clicks, and nothing was logged.
  EXPECT_TRUE(Window().Shown());
  EXPECT_TRUE(Log().Lines().empty());
  EXPECT_TRUE(windows_.messages.empty());
}

TEST_F(Form1ViewerTest, EnterOpensTheSelectedEntryAndNothingWithoutASelection) {
  FileList().PressEnter();
  EXPECT_EQ(form_->Viewer(), nullptr);
  FileList().Click(1);  // selecting alone opens nothing
  EXPECT_EQ(form_->Viewer(), nullptr);
  FileList().PressEnter();
  ASSERT_NE(form_->Viewer(), nullptr);
  EXPECT_EQ(Viewer().Path(), door_);
  // A bitmap stored top row first shows its height without the sign.
  EXPECT_THAT(ViewerWindow().Text(), StartsWith("door.bmp: 17 \u00D7 30 pixels, "));
}

TEST_F(Form1ViewerTest, OneViewerFollowsTheSelection) {
  FileList().DoubleClick(0);
  winsys::PictureWindow* window = Viewer().LoadedWindow();
  FileList().Click(1);
  EXPECT_EQ(Viewer().Path(), door_);
  EXPECT_EQ(ViewerWindow().Activations(), 1);  // the keyboard stays in the list
  FileList().DoubleClick(2);
  EXPECT_EQ(Viewer().LoadedWindow(), window);  // the same window, not a second one
  EXPECT_EQ(Viewer().Path(), broken_);
  EXPECT_EQ(ViewerWindow().Activations(), 2);

  // Closed, it follows nothing and reads nothing.
  ViewerWindow().PressKey(winsys::PictureKey::kEscape);
  FileList().Click(0);
  EXPECT_FALSE(Viewer().Showing());
  EXPECT_EQ(Viewer().Path(), "");
}

TEST_F(Form1ViewerTest, AFileThatCannotBeShownSaysWhyAndTheWindowGoesOn) {
  FileList().DoubleClick(2);
  EXPECT_EQ(ViewerWindow().Text(),
            "\"slime24.bmp\" cannot be shown: it is a 24-bit bitmap; only 8-bit bitmaps with 256 "
            "colours can be stored: save it as one, or as a PNG picture");
  // A file that went away meanwhile.
  std::filesystem::remove(hero_);
  FileList().Click(0);
  EXPECT_EQ(ViewerWindow().Text(), "\"hero.bmp\" cannot be shown: there is no such file");
  files_.unreadable.insert(door_);
  FileList().Click(1);
  EXPECT_EQ(ViewerWindow().Text(), "\"door.bmp\" cannot be shown: Permission denied");
  // A PNG picture Encode refuses, in the words of the window's menu.
  const std::string colourful = folder_.Path("colourful.png");
  std::filesystem::copy_file(std::string(SPRITE_TEST_DATA) + "/png/rgb-300-colours.png", colourful);
  FileList().AddItem(colourful);
  FileList().Click(3);
  EXPECT_THAT(ViewerWindow().Text(),
              AllOf(StartsWith("\"colourful.png\" cannot be shown: the PNG pictures have 300 "),
                    HasSubstr("choose Options ▸ Colours… to choose 255 of them")));
  EXPECT_TRUE(windows_.messages.empty());
}

TEST_F(Form1ViewerTest, DecodedBitmapsShowAsTheyWereStored) {
  Encode();
  ASSERT_EQ(form_->LastRun().stored, 2);
  Decode();
  ASSERT_EQ(FileList().ListCount(), 2);
  FileList().DoubleClick(1);
  EXPECT_EQ(Viewer().Path(), folder_.Path("pack.spr.0002.bmp"));
  EXPECT_EQ(ViewerWindow().Caption(), "pack.spr.0002.bmp - Sprite Viewer");
  ASSERT_NE(Viewer().Shown(), nullptr);
  const viewer::IndexedPicture decoded = *Viewer().Shown();
  FileList().Clear();
  FileList().AddItem(door_);
  FileList().Click(0);
  ASSERT_NE(Viewer().Shown(), nullptr);
  EXPECT_EQ(decoded.pixels, Viewer().Shown()->pixels);
  EXPECT_EQ(decoded.palette, Viewer().Shown()->palette);
  EXPECT_EQ(ViewerWindow().Caption(), "door.bmp - Sprite Viewer");
}

TEST_F(Form1ViewerTest, DecodedPngPicturesShowAsTheBitmapsDo) {
  Encode();
  ASSERT_EQ(form_->LastRun().stored, 2);
  MenuItem("&Options", "Decode to &PNG pictures").Choose();
  Decode();
  FileList().DoubleClick(1);
  EXPECT_EQ(ViewerWindow().Caption(), "pack.spr.0002.png - Sprite Viewer");
  ASSERT_NE(Viewer().Shown(), nullptr) << ViewerWindow().Text();
  const viewer::IndexedPicture decoded = *Viewer().Shown();
  FileList().AddItem(door_);
  FileList().Click(2);
  ASSERT_NE(Viewer().Shown(), nullptr);
  EXPECT_EQ(decoded.pixels, Viewer().Shown()->pixels);
  EXPECT_EQ(decoded.palette, Viewer().Shown()->palette);
}

TEST_F(Form1ViewerTest, ClosingTheMainWindowClosesTheViewer) {
  FileList().DoubleClick(0);
  ASSERT_TRUE(Viewer().Showing());
  EXPECT_TRUE(Window().RequestClose());
  EXPECT_FALSE(Viewer().Showing());
  EXPECT_EQ(Viewer().Shown(), nullptr);
}

TEST_F(Form1ViewerTest, ClosingTheMainWindowDuringARunClosesTheViewerOnceItStopped) {
  FileList().DoubleClick(0);
  bool asked = false;
  windows_.onRefresh = [&](long) {
    if (!asked) {
      asked = true;
      EXPECT_FALSE(Window().RequestClose());
      EXPECT_TRUE(Viewer().Showing());  // until the run has stopped
    }
  };
  Encode();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(form_->LastRun().cancelled);
  EXPECT_FALSE(Window().Shown());
  EXPECT_FALSE(Viewer().Showing());
}

}  // namespace
}  // namespace sprite::testing

namespace sprite::testing {
namespace {

TEST_F(Form1ViewerTest, EnterInTheOutputBoxShowsTheArchiveItNamesEntryByEntry) {
  const std::string archive = Output().Text();
  Output().SetText("#");
  Output().PressEnter();  // names no archive yet
  EXPECT_EQ(form_->Viewer(), nullptr);
  // File > View Archive asks for one then, as Decode does; cancelled, nothing.
  windows_.dialogs.answers = {fakes::FakeCommonDialogCalls::Cancel()};
  MenuItem("&File", "&View Archive").Choose();
  EXPECT_EQ(form_->Viewer(), nullptr);
  Output().SetText(archive);
  Encode();
  ASSERT_EQ(form_->LastRun().stored, 2);
  FileList().DoubleClick(1);
  const viewer::IndexedPicture door = *Viewer().Shown();

  Output().SetText("#");
  windows_.dialogs.answers = {fakes::FakeCommonDialogCalls::Confirm(archive)};
  MenuItem("&File", "&View Archive").Choose();
  EXPECT_EQ(Output().Text(), archive);
  EXPECT_EQ(ViewerWindow().Caption(), "pack.spr - Sprite Viewer");
  EXPECT_THAT(ViewerWindow().Text(), StartsWith("pack.spr: entry 1 of 2, 38 \u00D7 44 pixels, "));
  ViewerWindow().PressKey(winsys::PictureKey::kEnd);
  ASSERT_NE(Viewer().Shown(), nullptr);
  EXPECT_EQ(Viewer().Shown()->pixels, door.pixels);
  EXPECT_EQ(Viewer().Shown()->palette, door.palette);
  // The file list leads the viewer back to files; Enter in the box, to the archive.
  FileList().Click(0);
  EXPECT_EQ(ViewerWindow().Caption(), "hero.bmp - Sprite Viewer");
  Output().PressEnter();
  EXPECT_EQ(ViewerWindow().Caption(), "pack.spr - Sprite Viewer");
  FileList().Click(1);
  EXPECT_EQ(ViewerWindow().Caption(), "door.bmp - Sprite Viewer");
  EXPECT_EQ(Viewer().Player(), nullptr);
}

TEST_F(Form1ViewerTest, ARunShowsAnewTheArchiveOrFileItReplaced) {
  Encode();  // hero and door
  Output().PressEnter();
  ViewerWindow().PressKey(winsys::PictureKey::kEnd);
  EXPECT_THAT(ViewerWindow().Text(), StartsWith("pack.spr: entry 2 of 2, 17 \u00D7 30 pixels"));
  // Encoded again with the door alone, and then with three pictures.
  const struct {
    std::vector<std::string> listed;
    std::string shown;
  } cases[] = {
      {{door_}, "pack.spr: entry 1 of 1, 17 \u00D7 30 pixels"},
      {{hero_, hero_, door_}, "pack.spr: entry 1 of 3, 38 \u00D7 44 pixels"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    Prepare(c.listed, Output().Text());
    Encode();
    EXPECT_THAT(ViewerWindow().Text(), StartsWith(c.shown));
  }
  // A decoded bitmap shown is read again when a Decode replaces it.
  Decode();
  FileList().DoubleClick(0);
  Prepare({door_}, Output().Text());
  Encode();
  Decode();
  EXPECT_THAT(ViewerWindow().Text(), StartsWith("pack.spr.0001.bmp: 17 \u00D7 30 pixels"));
}

}  // namespace
}  // namespace sprite::testing
