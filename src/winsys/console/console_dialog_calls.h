#pragma once

#include "winsys/common_dialog_calls.h"
#include "winsys/file_title.h"

namespace sprite::winsys {

// Nobody can answer a dialog on the console: every dialog fails at once with
// CDERR_DIALOGFAILURE. File titles need no dialog and are given.
class ConsoleDialogCalls : public CommonDialogCalls {
 public:
  std::int32_t GetOpenFileNameA(OPENFILENAME&) override { return Fail(); }
  std::int32_t GetSaveFileNameA(OPENFILENAME&) override { return Fail(); }
  std::int16_t GetFileTitleA(const std::string& file, std::string& buffer,
                             std::uint16_t capacity) override {
    return GetFileTitleOf(file, buffer, capacity);
  }
  std::uint32_t CommDlgExtendedError() override { return lastError_; }

 private:
  std::int32_t Fail() {
    lastError_ = CDERR_DIALOGFAILURE;
    return kDialogFailed;
  }

  std::uint32_t lastError_ = 0;
};

}  // namespace sprite::winsys
