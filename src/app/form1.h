#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/window_options.h"
#include "common/bytes.h"
#include "controls/progress/o_progress_bar.h"
#include "files/file_system.h"
#include "pipeline/run_report.h"
#include "winsys/list_box_rules.h"
#include "winsys/window_system.h"

namespace sprite::dialogs {
class ceCommonDialog;
}
namespace sprite::about {
class frmAbout;
}
namespace sprite::pipeline {
class PictureSource;
}
namespace sprite::viewer {
class frmViewer;
}

namespace sprite::app {

// Form1's controls by their names, for a front end or a test that fills and
// clicks them: a misspelt name does not compile.
struct Form1Controls {
  winsys::ListBox& List1;
  winsys::PushButton& Command1;
  winsys::ListBox& lstFiles;
  winsys::TextBox& txtOut;
  winsys::PushButton& Command2;
  winsys::PushButton& Command3;
  winsys::PushButton& Command4;
  winsys::PushButton& Command5;
  winsys::PushButton& cmdAbout;
  controls::oProgressBar& oProgressBar1;
  controls::oProgressBar& oProgressBar2;
};

// The window's menu items that a test or a front end chooses by name.
struct Form1Menu {
  winsys::MenuItem& mnuMoveUp;
  winsys::MenuItem& mnuMoveDown;
  winsys::MenuItem& mnuSortByName;
  winsys::MenuItem& mnuClear;
  winsys::MenuItem& mnuDecodePng;
  winsys::MenuItem& mnuTargetPalette;
  winsys::MenuItem& mnuAlphaThreshold;
  winsys::MenuItem& mnuDitherNone;
  winsys::MenuItem& mnuDitherFloydSteinberg;
  winsys::MenuItem& mnuDitherOrdered;
  winsys::MenuItem& mnuColours;
};

// The main window: the file list, the output path, the buttons, two progress
// bars and the log list, and the state that outlives one command; a menu bar
// above them with the same commands, the file list's order and the Options.
// Encode and Decode run in the pipeline library, told to the window's lists
// and bars.
class Form1 {
 public:
  // The file list's count is 16-bit, as every list box's.
  static constexpr std::int32_t kMaxListedFiles = winsys::kMaxListCount;

  Form1(winsys::WindowSystem& windows, files::FileSystem& files);
  ~Form1();
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Shows the window centred, with the focus in the log list.
  void Show();

  void Command1_Click();  // Add
  void Command2_Click();  // Browse
  void Command3_Click();  // Encode
  void Command4_Click();  // Decode
  void Command5_Click();  // Remove
  void cmdAbout_Click();  // About

  // The List menu: the selected entry one up or down (also Alt+Up, Alt+Down),
  // every entry in natural order of their names, no entry.
  void mnuMoveUp_Click();
  void mnuMoveDown_Click();
  void mnuSortByName_Click();
  void mnuClear_Click();
  // File ▸ View Archive: the archive the output box names in the viewer.
  void mnuViewArchive_Click();
  // The Options menu; each choice is kept between runs.
  void mnuDecodePng_Click();
  void mnuTargetPalette_Click();
  void mnuAlphaThreshold_Click();
  void mnuDither_Click(colour::Dither dither);
  void mnuColours_Click();

  // The codec's coder (the stream of codec::RLECompress2), yielding to the
  // window once for every zero byte it counts.
  void RLECompress(Bytes txtI, Bytes& txtO, std::int32_t SizeX);

  // Appends paths to the file list in the order given, and sets the output
  // path as Browse does: for a front end that is given the files to start with.
  void AddFiles(const std::vector<std::string>& paths) { AppendToFileList(paths); }
  void SetOutputPath(const std::string& path);

  winsys::Window& Window() { return *window_; }
  Form1Controls Controls();
  Form1Menu MenuItems();
  const WindowOptions& Options() const { return options_; }
  // ArchivePalette: the trailer the next archive gets unless a picture is stored.
  const Bytes& Palette() const { return ArchivePalette; }
  const pipeline::RunReport& LastRun() const { return lastRun_; }
  // The viewer once a file of the list was opened in it; nullptr before.
  viewer::frmViewer* Viewer() { return frmViewer_.get(); }

 private:
  // Marks a run as going on until End or the end of the scope, whichever comes first.
  class RunningScope {
   public:
    explicit RunningScope(bool& running) : running_(running) { running_ = true; }
    ~RunningScope() { End(); }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;
    void End() { running_ = false; }

   private:
    bool& running_;
  };

  std::vector<std::string> ListedFiles() const;
  // Shows anew what the viewer shows, after a run that may have replaced it.
  void RereadViewer();
  dialogs::ceCommonDialog& CommonDialog();
  void CreateMenus();
  // The dithering items' marks, as the Options say.
  void ShowDither();
  // The marks of Target palette, Alpha threshold and Colours: checked while set.
  void ShowValueMarks();
  // The output box names no file yet ("#" as at start, or nothing): Encode
  // and Decode ask for one first, as Browse does. False when the user cancels.
  bool ChooseOutputFirst(bool forDecode);
  // Moves the entry at `from` to `to`, selected there.
  void MoveEntry(std::int16_t from, std::int16_t to);
  void SaveOptions();
  // Appends paths to the file list until it is full, then says so.
  void AppendToFileList(const std::vector<std::string>& paths);
  void lstFiles_FilesDropped(const std::vector<std::string>& paths);
  void lstFiles_DeleteKey();
  // A double-click or Enter on an entry shows it in the viewer; another entry
  // selected meanwhile is shown instead.
  void lstFiles_OpenItem();
  void lstFiles_SelectionChanged();
  // The viewer, made on first use.
  viewer::frmViewer& OpenViewer();
  void lstFiles_ItemDragged(std::int16_t from, std::int16_t to);
  void txtOut_FilesDropped(const std::vector<std::string>& paths);
  // Enter in the output box shows the archive it names in the viewer.
  void txtOut_Enter();
  void SetControlsEnabled(bool enabled);
  bool Form_QueryUnload();
  // The window is closing: the viewer goes with it.
  void Form_Unload();

  winsys::WindowSystem& windows_;
  files::FileSystem& files_;
  std::unique_ptr<winsys::Window> window_;

  // Controls, declared in tab order: they are created in this order.
  winsys::ListBox& List1;
  winsys::PushButton& Command1;
  winsys::ListBox& lstFiles;
  winsys::TextBox& txtOut;
  winsys::PushButton& Command2;
  winsys::PushButton& Command3;
  winsys::PushButton& Command4;
  winsys::PushButton& Command5;
  winsys::PushButton& cmdAbout;
  std::unique_ptr<controls::oProgressBar> oProgressBar1;
  std::unique_ptr<controls::oProgressBar> oProgressBar2;
  // The menu items a run disables with the buttons, and those named in Form1Menu.
  std::vector<winsys::MenuItem*> commandItems_;
  winsys::MenuItem* mnuMoveUp_ = nullptr;
  winsys::MenuItem* mnuMoveDown_ = nullptr;
  winsys::MenuItem* mnuSortByName_ = nullptr;
  winsys::MenuItem* mnuClear_ = nullptr;
  winsys::MenuItem* mnuDecodePng_ = nullptr;
  winsys::MenuItem* mnuTargetPalette_ = nullptr;
  winsys::MenuItem* mnuAlphaThreshold_ = nullptr;
  // None, Floyd–Steinberg, ordered.
  std::vector<winsys::MenuItem*> mnuDither_;
  winsys::MenuItem* mnuColours_ = nullptr;

  Bytes ArchivePalette;
  WindowOptions options_;
  // Created by the first Add or Browse, kept for the window's life.
  std::unique_ptr<dialogs::ceCommonDialog> commonDialog_;
  std::unique_ptr<about::frmAbout> frmAbout_;
  // Made on the first file opened in the viewer, kept for the window's life.
  std::unique_ptr<pipeline::PictureSource> pictureSource_;
  std::unique_ptr<viewer::frmViewer> frmViewer_;
  pipeline::RunReport lastRun_;
  // An Encode or Decode is running and lets the window process events.
  bool running_ = false;
  bool stopRequested_ = false;
  bool closeAfterRun_ = false;
};

}  // namespace sprite::app
