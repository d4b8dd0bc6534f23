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

bool Overlap(const winsys::PixelRect& a, const winsys::PixelRect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// What the user meets when the window opens: its caption and font, the
// controls in the order Tab walks them, each inside the window and clear of
// every other, the buttons in one column beside the rest, and the captions
// and contents; and so again in a window made larger, which the lists fill.
TEST(Form1LayoutTest, ControlsLieInsideTheWindowClearOfEachOtherInTabOrder) {
  fakes::FakeWindowSystem windows;
  fakes::FakeFileSystem files;
  app::Form1 form(windows, files);
  const auto& window = static_cast<const winsys::MemoryWindow&>(form.Window());
  const winsys::WindowSpec& design = window.Design();
  EXPECT_EQ(design.caption, "Sprite Encoder");
  EXPECT_EQ(design.font.name, "Tahoma");
  EXPECT_FALSE(design.fixedBorder);
  EXPECT_TRUE(design.centred);

  EXPECT_THAT(window.TabOrder(),
              ElementsAre("List1", "Command1", "lstFiles", "txtOut", "Command2", "Command3",
                          "Command4", "Command5", "cmdAbout", "oProgressBar1", "oProgressBar2"));
  const std::vector<std::string>& names = window.TabOrder();
  const auto placed = [&](const std::string& name, int extraWidth, int extraHeight) {
    const winsys::ControlSpec& control = window.DesignOf(name);
    const winsys::TwipsRect& r = control.rect;
    return winsys::Anchored({r.left, r.top, r.width, r.height}, control.anchors, extraWidth,
                            extraHeight);
  };
  for (const auto& [extraWidth, extraHeight] : {std::pair{0, 0}, {15, 15}, {4500, 3015}}) {
    SCOPED_TRACE(std::to_string(extraWidth) + " x " + std::to_string(extraHeight) + " more");
    for (std::size_t i = 0; i < names.size(); ++i) {
      const winsys::PixelRect rect = placed(names[i], extraWidth, extraHeight);
      SCOPED_TRACE(names[i]);
      EXPECT_GT(rect.width, 0);
      EXPECT_GT(rect.height, 0);
      EXPECT_GE(rect.left, 0);
      EXPECT_GE(rect.top, 0);
      EXPECT_LE(rect.left + rect.width, design.clientWidth + extraWidth);
      EXPECT_LE(rect.top + rect.height, design.clientHeight + extraHeight);
      for (std::size_t j = i + 1; j < names.size(); ++j) {
        EXPECT_FALSE(Overlap(rect, placed(names[j], extraWidth, extraHeight)))
            << "over " << names[j];
      }
    }
    const winsys::PixelRect add = placed("Command1", extraWidth, extraHeight);
    const winsys::PixelRect fileList = placed("lstFiles", extraWidth, extraHeight);
    EXPECT_EQ(add.left, fileList.left + fileList.width + 90);
    for (const char* button : {"Command2", "Command3", "Command4", "Command5", "cmdAbout"}) {
      const winsys::PixelRect rect = placed(button, extraWidth, extraHeight);
      EXPECT_EQ(std::vector<int>({rect.left, rect.width, rect.height}),
                std::vector<int>({add.left, add.width, add.height}))
          << button;
    }
    // The lists take the extra room, half of its height each.
    EXPECT_EQ(fileList.width, 5160 + extraWidth);
    EXPECT_EQ(placed("List1", extraWidth, extraHeight).height,
              1620 + extraHeight - (fileList.height - 2205));
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

TEST_F(Form1EncodeTest, TheRunShowsInTheLogAndTheBarsAndItsPaletteOutlivesIt) {
  // A non-zero padding byte: stored with the log's warning.
  const BitmapFields good{
      .width = 3, .height = 2, .palette = TestPalette(1), .pixelArea = {1, 2, 3, 0xFF, 4, 5, 6, 0}};
  BitmapFields trueColour = good;
  trueColour.bitsPerPixel = 24;
  const std::string a = WriteBitmap("a.bmp", good);
  const std::string b = WriteBitmap("b.bmp", trueColour);
  const std::string archive = folder_.Path("out.spr");
  Controls().oProgressBar2.SetValue(55);
  Prepare({a, b}, archive);

  Encode();

  // Nobody reads standard error under a window: the file and the reason
  // follow the log's own line, and a last line names what was written.
  EXPECT_THAT(Log().Lines(),
              ElementsAre("Init", "Adding: " + a, "Warning: Flip Invalid!",
                          "  " + a +
                              ": stored, but its pixel area is not whole rows with zero "
                              "padding, so it will not come back byte for byte",
                          kOk, kRejected,
                          "  " + b +
                              ": not stored: it is a 24-bit bitmap; only 8-bit bitmaps "
                              "with 256 colours can be stored: save it as one, or as a PNG "
                              "picture",
                          "Completed ",
                          "Stored 1 of 2 pictures in \"" + archive + "\" (" +
                              std::to_string(8 + 6 + 6 + 1024) + " bytes)"));
  EXPECT_EQ(Log().ListIndex(), 7);  // the selection follows "Completed "
  EXPECT_EQ(Controls().oProgressBar1.Value(), 100);
  EXPECT_EQ(Controls().oProgressBar2.Value(), 0);
  EXPECT_EQ(form_->Palette(), ArchiveOrder(good.palette));
  EXPECT_EQ(form_->LastRun().stored, 1);
  EXPECT_EQ(form_->LastRun().problems, 2);

  // A later run that stores nothing writes the palette the window kept into
  // a new archive, and leaves one that is there as it was.
  const std::string fresh = folder_.Path("fresh.spr");
  Prepare({folder_.Path("missing.bmp")}, fresh);
  Encode();
  const Bytes bytes = ReadFile(fresh);
  ASSERT_EQ(bytes.size(), 1032u);
  EXPECT_EQ(Log().Lines().back(), "Stored 0 of 1 picture in \"" + fresh + "\" (1032 bytes)");
  EXPECT_EQ(Field16(bytes, 4), 0);
  EXPECT_EQ(Tail(bytes, 1024), ArchiveOrder(good.palette));
  const Bytes before = ReadFile(archive);
  Prepare({}, archive);
  Encode();
  EXPECT_THAT(Log().Lines(), ElementsAre("Init", "Completed ",
                                         "Nothing stored; \"" + archive + "\" was left as it was"));
  EXPECT_EQ(ReadFile(archive), before);
}

TEST_F(Form1EncodeTest, RLECompressGivesTheEncodersStreamAndYieldsToTheWindowPerZeroByte) {
  Bytes coded;
  form_->RLECompress({7, 0, 0, 0, 9, 0}, coded, 6);
  EXPECT_EQ(coded, (Bytes{7, 0, 3, 9, 0, 1}));
  EXPECT_EQ(windows_.yields, 4);
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
