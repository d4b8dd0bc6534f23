#pragma once

#include "winsys/common_dialog_calls.h"

namespace sprite::winsys::qt {

class QtWindowCalls;

// The common dialogs on Qt's own dialogs. The owner handle of a record names a
// window of the handle table; the dialog is modal to it.
class QtCommonDialogCalls : public CommonDialogCalls {
 public:
  explicit QtCommonDialogCalls(QtWindowCalls& windows);

  std::int32_t GetOpenFileNameA(OPENFILENAME& record) override;
  std::int32_t GetSaveFileNameA(OPENFILENAME& record) override;
  std::int16_t GetFileTitleA(const std::string& file, std::string& buffer,
                             std::uint16_t capacity) override;
  std::uint32_t CommDlgExtendedError() override { return lastError_; }

 private:
  QtWindowCalls& windows_;
  std::uint32_t lastError_ = 0;
};

}  // namespace sprite::winsys::qt
