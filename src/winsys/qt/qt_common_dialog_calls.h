#pragma once

#include "winsys/common_dialog_calls.h"

namespace sprite::winsys::qt {

class QtWindowCalls;

// The common dialogs on Qt's own dialogs. The owner handle of a record names a
// window of the handle table; the dialog is modal to it (to the whole
// application when there is none). An owner handle that names no window fails
// with CDERR_DIALOGFAILURE.
//
// File dialogs: OFN_ALLOWMULTISELECT lets the open dialog take several files,
// which come back in the NUL-separated form with or without OFN_EXPLORER (the
// older blank-separated form cannot hold names with blanks); Qt checks that
// several files exist whether or not OFN_FILEMUSTEXIST asks for it. A selection
// the file buffer cannot hold is refused inside the dialog. A cancel or a
// failure leaves the record as it was; an unexpected error is a failure with
// CDERR_DIALOGFAILURE.
class QtCommonDialogCalls : public CommonDialogCalls {
 public:
  explicit QtCommonDialogCalls(QtWindowCalls& windows);

  std::int32_t GetOpenFileNameA(OPENFILENAME& record) override;
  std::int32_t GetSaveFileNameA(OPENFILENAME& record) override;
  std::int16_t GetFileTitleA(const std::string& file, std::string& buffer,
                             std::uint16_t capacity) override;
  std::uint32_t CommDlgExtendedError() override { return lastError_; }

 private:
  std::int32_t ShowFileDialog(OPENFILENAME& record, bool save);
  std::int32_t RunFileDialog(OPENFILENAME& record, bool save);
  std::int32_t Fail(std::uint32_t code);

  QtWindowCalls& windows_;
  std::uint32_t lastError_ = 0;
};

}  // namespace sprite::winsys::qt
