// The Encode and Decode commands: the pipeline's runs, told to the window.
#include "app/form1.h"
#include "app/window_run_delegate.h"
#include "common/text.h"
#include "pipeline/decode_run.h"
#include "pipeline/encode_run.h"
#include "viewer/frm_viewer.h"

namespace sprite::app {

void Form1::Command3_Click() {
  // An archive named "#" in the working folder is nobody's wish.
  if (!ChooseOutputFirst(false)) {
    return;
  }
  List1.Clear();
  // The window repaints while the run goes on but takes no input; a request to
  // close it stops the run after the current picture.
  stopRequested_ = false;
  RunningScope running(running_);
  WindowRunDelegate delegate(windows_, Controls(), stopRequested_,
                             WindowRunDelegate::Pause::kRefresh);
  pipeline::EncodeRun run(files_, delegate, options_.ForEncode());
  lastRun_ = run.Run(ListedFiles(), txtOut.Text(), ArchivePalette);
  running.End();
  RereadViewer();
  if (lastRun_.outputWritten) {
    List1.AddItem("Stored " + std::to_string(lastRun_.stored) + " of " +
                  Counted(lastRun_.listed, "picture", "pictures") + " in " +
                  Quoted(lastRun_.outputPath) + " (" +
                  Counted(lastRun_.outputBytes, "byte", "bytes") + ")");
  }
  if (closeAfterRun_) {
    Form_Unload();
    window_->Close();
  }
}

void Form1::Command4_Click() {
  if (!ChooseOutputFirst(true)) {
    return;
  }
  // The file list is emptied once the archive opens (the delegate's
  // ArchiveOpened): an archive that cannot be read takes no list with it.
  List1.Clear();
  // Nothing else may run inside the decoder's yields: an Encode would rewrite
  // the archive being read, Add or Remove would change the list being filled.
  SetControlsEnabled(false);
  stopRequested_ = false;
  RunningScope running(running_);
  WindowRunDelegate delegate(windows_, Controls(), stopRequested_, WindowRunDelegate::Pause::kYield,
                             [this] { SetControlsEnabled(true); });
  const pipeline::DecodeOptions options = options_.ForDecode();
  pipeline::DecodeRun run(files_, delegate, options);
  lastRun_ = run.Run(txtOut.Text());
  running.End();
  RereadViewer();
  if (!delegate.Box()) {
    List1.AddItem("Wrote " +
                  (options.png ? Counted(lastRun_.stored, "PNG picture", "PNG pictures")
                               : Counted(lastRun_.stored, "bitmap", "bitmaps")) +
                  " into " + Quoted(lastRun_.outputPath));
  }
  if (const auto& box = delegate.Box()) {
    // The window says what to do about a file that is not an archive.
    const bool notAnArchive = box->fault.kind == FaultKind::kNotAnArchive;
    windows_.MessageBox(
        box->text,
        box->detail + (notAnArchive ? " Choose a sprite archive (.spr) with Browse." : ""),
        winsys::MessageIcon::kError);
  }
  if (closeAfterRun_) {
    Form_Unload();
    window_->Close();
  }
}

void Form1::RereadViewer() {
  // The run may have replaced the archive or the bitmap the viewer shows.
  if (frmViewer_) {
    frmViewer_->Reread();
  }
}

std::vector<std::string> Form1::ListedFiles() const {
  std::vector<std::string> paths;
  const std::int16_t count = lstFiles.ListCount();
  paths.reserve(static_cast<std::size_t>(count));
  for (std::int16_t index = 0; index < count; ++index) {
    paths.push_back(lstFiles.List(index));
  }
  return paths;
}

}  // namespace sprite::app
