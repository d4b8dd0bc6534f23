// The Encode and Decode commands: the pipeline's runs, told to the window.
#include "app/form1.h"
#include "app/window_run_delegate.h"
#include "pipeline/decode_run.h"
#include "pipeline/encode_run.h"

namespace sprite::app {

void Form1::Command3_Click() {
  List1.Clear();
  // The window repaints while the run goes on but takes no input; a request to
  // close it stops the run after the current picture.
  stopRequested_ = false;
  RunningScope running(running_);
  WindowRunDelegate delegate(windows_, Controls(), stopRequested_,
                             WindowRunDelegate::Pause::kRefresh);
  pipeline::EncodeRun run(files_, delegate);
  lastRun_ = run.Run(ListedFiles(), txtOut.Text(), ArchivePalette);
  running.End();
  if (closeAfterRun_) {
    window_->Close();
  }
}

void Form1::Command4_Click() {
  lstFiles.Clear();
  List1.Clear();
  // Nothing else may run inside the decoder's yields: an Encode would rewrite
  // the archive being read, Add or Remove would change the list being filled.
  SetControlsEnabled(false);
  stopRequested_ = false;
  RunningScope running(running_);
  WindowRunDelegate delegate(windows_, Controls(), stopRequested_, WindowRunDelegate::Pause::kYield,
                             [this] { SetControlsEnabled(true); });
  pipeline::DecodeRun run(files_, delegate);
  lastRun_ = run.Run(txtOut.Text());
  running.End();
  if (const auto& box = delegate.Box()) {
    windows_.MessageBox(box->text, box->detail);
  }
  if (closeAfterRun_) {
    window_->Close();
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
