#include "app/form1.h"

#include <utility>

#include "about/frm_about.h"
#include "codec/rle_encoder.h"
#include "controls/property_bag_store.h"
#include "dialogs/ce_common_dialog.h"
#include "pipeline/picture_source.h"
#include "viewer/frm_viewer.h"

namespace sprite::app {
namespace {

using winsys::Anchors;
using winsys::ControlSpec;
using winsys::TwipsRect;

// A window larger than its design gives the extra width to the left column
// and the log, the buttons keeping their column beside it; the extra height
// goes half to the file list and half to the log, and what lies between them
// moves down with the file list's lower edge.
constexpr Anchors kFileList{0, 0, 1, 0.5};
constexpr Anchors kBesideFileList{1, 0, 1, 0};
constexpr Anchors kBelowFileList{0, 0.5, 1, 0.5};
constexpr Anchors kButtonBelow{1, 0.5, 1, 0.5};
constexpr Anchors kLog{0, 0.5, 1, 1};

winsys::WindowSpec MainWindowSpec() {
  winsys::WindowSpec design;
  design.caption = "Sprite Encoder";
  design.clientWidth = 6615;
  design.clientHeight = 4995;
  design.font = winsys::FontSpec{"Tahoma", 8.25, 400, 238};
  // The described size is the least; long reason lines want room.
  design.fixedBorder = false;
  design.centred = true;
  design.showInTaskbar = true;
  return design;
}

// The window's stored design: both bars differ from the defaults only in Min.
constexpr char kStoredDesign[] =
    "[oProgressBar1]\n"
    "min = 1\n"
    "[oProgressBar2]\n"
    "min = 1\n";

std::unique_ptr<controls::oProgressBar> LoadProgressBar(winsys::Window& window,
                                                        winsys::WindowCalls& calls,
                                                        const ControlSpec& design) {
  winsys::ControlHost& host = window.AddControlHost(design);
  auto bar = std::make_unique<controls::oProgressBar>(host, calls);
  auto stored = controls::StoredDesign::FromText(kStoredDesign);
  bar->UserControl_ReadProperties(stored.Bag(design.name));
  bar->UserControl_Resize();
  host.SetOnResize([control = bar.get()] { control->UserControl_Resize(); });
  return bar;
}

}  // namespace

Form1::Form1(winsys::WindowSystem& windows, files::FileSystem& files)
    : windows_(windows),
      files_(files),
      window_(windows.CreateWindow(MainWindowSpec())),
      List1(window_->AddListBox({"List1", TwipsRect{105, 3255, 6420, 1620}, kLog})),
      Command1(window_->AddButton({"Command1", TwipsRect{5355, 105, 1170, 330}, kBesideFileList},
                                  "&Add")),
      lstFiles(window_->AddListBox({"lstFiles", TwipsRect{105, 105, 5160, 2205}, kFileList})),
      txtOut(window_->AddTextBox({"txtOut", TwipsRect{105, 2415, 5160, 330}, kBelowFileList}, "#")),
      Command2(window_->AddButton({"Command2", TwipsRect{5355, 2415, 1170, 330}, kButtonBelow},
                                  "&Browse")),
      Command3(window_->AddButton({"Command3", TwipsRect{5355, 1575, 1170, 330}, kButtonBelow},
                                  "&Encode")),
      Command4(window_->AddButton({"Command4", TwipsRect{5355, 1995, 1170, 330}, kButtonBelow},
                                  "&Decode")),
      Command5(window_->AddButton({"Command5", TwipsRect{5355, 525, 1170, 330}, kBesideFileList},
                                  "&Remove")),
      cmdAbout(window_->AddButton({"cmdAbout", TwipsRect{5355, 2835, 1170, 330}, kButtonBelow},
                                  "About ;]")),
      oProgressBar1(
          LoadProgressBar(*window_, windows.Calls(),
                          {"oProgressBar1", TwipsRect{105, 2835, 5160, 120}, kBelowFileList})),
      oProgressBar2(
          LoadProgressBar(*window_, windows.Calls(),
                          {"oProgressBar2", TwipsRect{105, 3045, 5160, 120}, kBelowFileList})),
      ArchivePalette(1024, 0),
      options_(WindowOptions::Load(windows.Settings())) {
  Command1.SetOnClick([this] { Command1_Click(); });
  Command2.SetOnClick([this] { Command2_Click(); });
  Command3.SetOnClick([this] { Command3_Click(); });
  Command4.SetOnClick([this] { Command4_Click(); });
  Command5.SetOnClick([this] { Command5_Click(); });
  cmdAbout.SetOnClick([this] { cmdAbout_Click(); });
  lstFiles.SetOnFilesDropped(
      [this](const std::vector<std::string>& paths) { lstFiles_FilesDropped(paths); });
  lstFiles.SetOnDeleteKey([this] { lstFiles_DeleteKey(); });
  lstFiles.SetOnOpenItem([this] { lstFiles_OpenItem(); });
  lstFiles.SetOnSelectionChanged([this] { lstFiles_SelectionChanged(); });
  lstFiles.SetOnItemDragged(
      [this](std::int16_t from, std::int16_t to) { lstFiles_ItemDragged(from, to); });
  txtOut.SetOnFilesDropped(
      [this](const std::vector<std::string>& paths) { txtOut_FilesDropped(paths); });
  txtOut.SetOnEnter([this] { txtOut_Enter(); });
  window_->SetCloseHandler([this] { return Form_QueryUnload(); });
  CreateMenus();
}

Form1::~Form1() = default;

Form1Controls Form1::Controls() {
  return {List1,    Command1, lstFiles, txtOut,         Command2,      Command3,
          Command4, Command5, cmdAbout, *oProgressBar1, *oProgressBar2};
}

void Form1::Show() {
  window_->Show();
}

bool Form1::Form_QueryUnload() {
  if (!running_) {
    Form_Unload();
    return true;
  }
  // A run is inside a yield: let it stop after the current picture or element
  // and close the window once the run has unwound.
  stopRequested_ = true;
  closeAfterRun_ = true;
  return false;
}

void Form1::Form_Unload() {
  if (frmViewer_) {
    frmViewer_->Close();
  }
}

void Form1::SetControlsEnabled(bool enabled) {
  for (winsys::PushButton* button :
       {&Command1, &Command2, &Command3, &Command4, &Command5, &cmdAbout}) {
    button->SetEnabled(enabled);
  }
  txtOut.SetEnabled(enabled);
  for (winsys::MenuItem* item : commandItems_) {
    item->SetEnabled(enabled);
  }
}

void Form1::RLECompress(Bytes txtI, Bytes& txtO, std::int32_t SizeX) {
  // Yields to this window's system, once for every zero byte counted.
  class WindowYield : public codec::Yielder {
   public:
    explicit WindowYield(winsys::WindowSystem& windows) : windows_(windows) {}
    void Yield() override { windows_.Yield(); }

   private:
    winsys::WindowSystem& windows_;
  } host(windows_);
  codec::RLECompress(std::move(txtI), txtO, SizeX, host);
}

}  // namespace sprite::app
