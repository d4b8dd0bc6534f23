#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/run_listener.h"
#include "app/run_report.h"
#include "codec/rle_decoder.h"
#include "common/bytes.h"
#include "controls/progress/o_progress_bar.h"
#include "controls/property_bag_store.h"
#include "files/file_system.h"
#include "winsys/list_box_rules.h"
#include "winsys/window_system.h"

namespace sprite::formats {
class ArchiveReader;
class ArchiveWriter;
struct EntryMisfit;
}  // namespace sprite::formats
namespace sprite::dialogs {
class ceCommonDialog;
}
namespace sprite::about {
class frmAbout;
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

// The main window: the file list, the output path, the buttons, two progress
// bars and the log list, the state that outlives one command, and the codec
// operations the commands use.
class Form1 : private codec::RowsHost {
 public:
  // The file list's count is 16-bit, as every list box's.
  static constexpr std::int32_t kMaxListedFiles = winsys::kMaxListCount;

  Form1(winsys::WindowSystem& windows, files::FileSystem& files);
  ~Form1() override;
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

  void RLECompress2(ByteView txtDataIn, Bytes& txtDataOut, std::int32_t SizeX) const;
  // The same stream as RLECompress2, yielding to the window once for every zero
  // byte it counts. No command uses it.
  void RLECompress(Bytes txtI, Bytes& txtO, std::int32_t SizeX);

  // Appends paths to the file list as Add does, and sets the output path as
  // Browse does: for a front end that is given the files to start with.
  void AddFiles(const std::vector<std::string>& paths) { AppendToFileList(paths); }
  void SetOutputPath(const std::string& path);

  // Told of every problem of a run in plain words; null (the default) for none.
  void SetRunListener(RunListener* listener) { listener_ = listener; }
  // The folder Decode writes its bitmaps into, named after the archive's file
  // name; empty (the default) writes them beside the archive.
  void SetOutputFolder(const std::string& folder) { outputFolder_ = folder; }

  winsys::Window& Window() { return *window_; }
  Form1Controls Controls();
  // ArchivePalette: the trailer the next archive gets unless a picture is stored.
  const Bytes& Palette() const { return ArchivePalette; }
  const RunReport& LastRun() const { return lastRun_; }

 private:
  enum class BitmapOutcome { kStored, kRejected };

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

  BitmapOutcome AddBitmap(const std::string& bitmapPath, formats::ArchiveWriter& archive);
  // Decodes every entry into a bitmap; returns the count for the "Decoded "
  // line. An entry that cannot be decoded or written ends the run with a
  // problem line; a stop request ends it with CancelledError.
  std::int32_t DecodeEntries(const std::string& archivePath, formats::ArchiveReader& reader);
  std::string OutputName(const std::string& archivePath, std::int32_t number) const;
  // Makes the names the run gave durable; a failure is a failed output.
  void SyncWrittenFolders();
  // A problem line in the log, and `text` for the run listener.
  void Problem(const std::string& line, const std::string& text);
  // A listed picture that is not stored: its log line, and its reason for the run listener.
  BitmapOutcome NotStored(const std::string& path, const std::string& line,
                          const std::string& reason);
  // A listed picture that passes a limit of an archive entry.
  BitmapOutcome NotAnEntry(const std::string& path, const formats::EntryMisfit& misfit);
  dialogs::ceCommonDialog& CommonDialog();
  // Appends paths to the file list until it is full, then says so.
  void AppendToFileList(const std::vector<std::string>& paths);
  void lstFiles_FilesDropped(const std::vector<std::string>& paths);
  void lstFiles_DeleteKey();
  void txtOut_FilesDropped(const std::vector<std::string>& paths);
  void SetControlsEnabled(bool enabled);
  bool Form_QueryUnload();

  Bytes RLEDecompress(ByteView coded) const;
  Bytes RLEDecompressRows(ByteView coded, std::int16_t width);
  Bytes SwapRedBlue(ByteView palette) const;

  // What the decoder asks of the window: the bars and the yield.
  void ElementsDecoded(std::int32_t percent, std::int64_t elements) override;
  void SetRowPercent(std::int32_t percent) override;
  void Yield() override;
  void StopIfAsked();

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

  Bytes ArchivePalette;
  // Created by the first Add or Browse, kept for the window's life.
  std::unique_ptr<dialogs::ceCommonDialog> commonDialog_;
  std::unique_ptr<about::frmAbout> frmAbout_;
  RunReport lastRun_;
  RunListener* listener_ = nullptr;
  std::string outputFolder_;
  // An Encode or Decode is running and lets the window process events.
  bool running_ = false;
  bool stopRequested_ = false;
  bool closeAfterRun_ = false;
};

}  // namespace sprite::app
