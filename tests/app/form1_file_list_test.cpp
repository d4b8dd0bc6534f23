// Add, Remove, Browse and About, and the file list's drops and Delete key.
#include <filesystem>
#include <string>
#include <vector>

#include "app/form1_fixture.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Dialogs = fakes::FakeCommonDialogCalls;

class Form1FileListTest : public Form1Test {
 protected:
  void Add() { Click(Controls().Command1); }
  void Browse() { Click(Controls().Command2); }
};

std::string Nuls(const std::string& text) {
  std::string converted = text;
  for (char& c : converted) {
    if (c == '|') {
      c = '\0';
    }
  }
  return converted;
}

// A multiple selection's folder and names are joined with the system's separator.
const std::string kSeparator(1, static_cast<char>(std::filesystem::path::preferred_separator));

TEST_F(Form1FileListTest, AddAppendsWhatTheDialogSelectedAsPaths) {
  const std::string longPath = "/" + std::string(1022, 'x');  // with its NUL, fills the buffer
  const struct {
    const char* name;
    std::string selection;
    std::vector<std::string> added;
  } cases[] = {
      {"one file", Nuls("/home/ann/hero.bmp|"), {"/home/ann/hero.bmp"}},
      {"three files in one folder",
       Nuls("/home/ann|a.bmp|b.bmp|c.bmp||"),
       {"/home/ann" + kSeparator + "a.bmp", "/home/ann" + kSeparator + "b.bmp",
        "/home/ann" + kSeparator + "c.bmp"}},
      {"frames chosen together, in natural order",
       Nuls("/f|walk_10.png|walk_2.png|Walk_1.png||"),
       {"/f" + kSeparator + "Walk_1.png", "/f" + kSeparator + "walk_2.png",
        "/f" + kSeparator + "walk_10.png"}},
      {"files in the root folder", Nuls("/|b.bmp|a.bmp||"), {"/a.bmp", "/b.bmp"}},
      {"folder ending in a separator", Nuls("/srv/|a.bmp|b.bmp||"), {"/srv/a.bmp", "/srv/b.bmp"}},
      {"names that are not ASCII",
       Nuls("/home/ann/日本|é.bmp|ü.bmp||"),
       {"/home/ann/日本" + kSeparator + "é.bmp", "/home/ann/日本" + kSeparator + "ü.bmp"}},
      {"a path that fills the buffer", longPath + '\0', {longPath}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Prepare({"/old.bmp"}, "#");
    windows_.dialogs.answers.push_back(Dialogs::Confirm(c.selection));
    Add();
    std::vector<std::string> expected = {"/old.bmp"};
    expected.insert(expected.end(), c.added.begin(), c.added.end());
    EXPECT_EQ(FileList().Lines(), expected);
  }
}

TEST_F(Form1FileListTest, AddAndBrowseAskForPicturesAndAnArchiveOwnedByTheWindow) {
  Add();
  Browse();
  ASSERT_EQ(windows_.dialogs.requests.size(), 2u);
  const winsys::OPENFILENAME& open = windows_.dialogs.requests[0].record;
  EXPECT_EQ(windows_.dialogs.requests[0].function, "GetOpenFileNameA");
  // Every picture Encode reads, the filter the dialog opens with (index 1).
  EXPECT_EQ(open.lpstrFilter, Nuls("All pictures (*.bmp;*.png)|*.bmp;*.png|Bitmaps (*.bmp)|*.bmp|"
                                   "PNG pictures (*.png)|*.png||"));
  EXPECT_EQ(open.nFilterIndex, 1u);
  EXPECT_EQ(open.lpstrDefExt, ".bmp");
  EXPECT_EQ(open.Flags, 0x81200u);  // explorer style, multiple selection, must exist
  EXPECT_EQ(open.hwndOwner, Window().hWnd());
  EXPECT_EQ(open.nMaxFile, 1024u);

  const winsys::OPENFILENAME& save = windows_.dialogs.requests[1].record;
  EXPECT_EQ(windows_.dialogs.requests[1].function, "GetSaveFileNameA");
  EXPECT_EQ(save.lpstrFilter, Nuls("Sprite Archive (*.spr)|*.spr||"));
  EXPECT_EQ(save.lpstrDefExt, ".spr");
  EXPECT_EQ(save.Flags, 0x6u);  // overwrite prompt, read-only box hidden
  EXPECT_EQ(save.hwndOwner, Window().hWnd());
  EXPECT_EQ(save.nMaxFile, 260u);
}

TEST_F(Form1FileListTest, CancelledOrFailedDialogsChangeNothing) {
  Prepare({"/a.bmp"}, "#");
  windows_.dialogs.answers = {
      Dialogs::Cancel(), windows_.dialogs.Fail(winsys::FNERR_BUFFERTOOSMALL), Dialogs::Cancel(),
      windows_.dialogs.Fail(winsys::CDERR_DIALOGFAILURE)};
  Add();
  Add();
  Browse();
  Browse();
  EXPECT_THAT(FileList().Lines(), ElementsAre("/a.bmp"));
  EXPECT_EQ(Output().Text(), "#");
  EXPECT_TRUE(windows_.messages.empty());
}

TEST_F(Form1FileListTest, BrowseSetsTheChosenPath) {
  windows_.dialogs.answers.push_back(Dialogs::Confirm(Nuls("/home/ann/sprites/hero.spr|")));
  Browse();
  EXPECT_EQ(Output().Text(), "/home/ann/sprites/hero.spr");
}

TEST_F(Form1FileListTest, FullListAddsNothingMoreAndSaysSo) {
  FileList().Clear();
  for (int i = 0; i < 32766; ++i) {
    FileList().AddItem("f");
  }
  windows_.dialogs.answers.push_back(Dialogs::Confirm(Nuls("/d|a.bmp|b.bmp|c.bmp||")));
  Add();
  EXPECT_EQ(FileList().ListCount(), 32767);
  EXPECT_EQ(FileList().List(32766), "/d" + kSeparator + "a.bmp");
  ASSERT_EQ(windows_.messages.size(), 1u);
  EXPECT_THAT(windows_.messages[0], HasSubstr("at most 32767 files; 2 of the chosen files"));

  FileList().Drop({"/e/x.bmp"});
  EXPECT_EQ(FileList().ListCount(), 32767);
  EXPECT_EQ(windows_.messages.size(), 2u);
}

TEST_F(Form1FileListTest, RemoveTakesOutTheSelectedFileOnly) {
  Prepare({"a", "b", "c"}, "#");
  Click(Controls().Command5);  // nothing selected
  EXPECT_EQ(FileList().ListCount(), 3);
  FileList().SetListIndex(1);
  Click(Controls().Command5);
  EXPECT_THAT(FileList().Lines(), ElementsAre("a", "c"));
  EXPECT_EQ(FileList().ListIndex(), -1);
  FileList().SetListIndex(1);
  FileList().PressDelete();
  FileList().SetListIndex(0);
  Click(Controls().Command5);
  EXPECT_EQ(FileList().ListCount(), 0);
}

TEST_F(Form1FileListTest, DroppedPicturesJoinTheListAndADroppedFileNamesTheArchive) {
  Prepare({"/z.bmp"}, "#");
  FileList().Drop(
      {"/d/w10.png", "/d/b.BMP", "/d/notes.txt", "/d/w9.png", "/d/bmp", "/d/d.Bmp", "/d/f.spr"});
  EXPECT_THAT(FileList().Lines(),
              ElementsAre("/z.bmp", "/d/b.BMP", "/d/d.Bmp", "/d/w9.png", "/d/w10.png"));
  Output().Drop({"/d/pack.spr", "/d/other.spr"});
  EXPECT_EQ(Output().Text(), "/d/pack.spr");

  // A folder gives its pictures in natural order; one without any, nothing.
  const std::string walk10 = WriteBitmap("walk_10.bmp", {});
  const std::string walk2 = WriteBitmap("walk_2.bmp", {});
  WriteFile(folder_.Path("notes.txt"), Bytes{1});
  std::filesystem::create_directory(folder_.Path("empty"));
  Prepare({}, "#");
  FileList().Drop({folder_.Path("empty"), Utf8FromPath(folder_.Root())});
  EXPECT_THAT(FileList().Lines(), ElementsAre(walk2, walk10));
}

TEST_F(Form1FileListTest, DropsAndDeleteWaitForNothingWhileDecodeFillsTheList) {
  const std::string picture =
      WriteBitmap("p.bmp", {.width = 8, .height = 8, .pixelArea = Bytes(64, 1)});
  const std::string archive = folder_.Path("pack.spr");
  Prepare({picture}, archive);
  Encode();
  windows_.onYield = [&](long) {
    FileList().Drop({"/d/x.bmp"});
    Output().Drop({"/d/other.spr"});
    if (FileList().ListCount() > 0) {
      FileList().SetListIndex(0);
      FileList().PressDelete();
    }
  };
  Decode();
  EXPECT_THAT(FileList().Lines(), ElementsAre(archive + ".0001.bmp"));
  EXPECT_EQ(Output().Text(), archive);
}

TEST_F(Form1FileListTest, ClosingTheWindowDuringEncodeStopsAfterThePictureAndKeepsTheArchive) {
  std::vector<std::string> pictures;
  for (int i = 0; i < 3; ++i) {
    pictures.push_back(WriteBitmap("p" + std::to_string(i) + ".bmp", {.pixelArea = {1, 2, 3, 4}}));
  }
  const std::string archive = folder_.Path("pack.spr");
  WriteFile(archive, Bytes{7});
  Prepare(pictures, archive);
  form_->Show();
  windows_.onRefresh = [&](long refreshes) {
    if (refreshes == 1) {
      EXPECT_FALSE(Window().RequestClose());  // not while the run is going on
    }
  };
  Encode();
  EXPECT_TRUE(form_->LastRun().cancelled);
  EXPECT_EQ(windows_.refreshes, 1);
  EXPECT_FALSE(Window().Shown());
  EXPECT_EQ(ReadFile(archive), Bytes{7});
  EXPECT_THAT(folder_.Names(), ElementsAre("p0.bmp", "p1.bmp", "p2.bmp", "pack.spr"));
}

}  // namespace
}  // namespace sprite::testing
