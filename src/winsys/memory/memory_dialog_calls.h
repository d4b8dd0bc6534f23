#pragma once

#include "winsys/common_dialog_calls.h"
#include "winsys/emulated/file_title.h"
#include "winsys/emulated/movable_memory.h"

namespace sprite::winsys {

// Nobody can answer a dialog in memory: every dialog fails at once with
// CDERR_DIALOGFAILURE. File titles need no dialog and are given; memory blocks
// are plain ones, and every system colour is black, as nothing is drawn.
class MemoryDialogCalls : public CommonDialogCalls {
 public:
  std::int32_t GetOpenFileNameA(OPENFILENAME&) override { return Fail(); }
  std::int32_t GetSaveFileNameA(OPENFILENAME&) override { return Fail(); }
  std::int32_t ChooseColorA(CHOOSECOLOR&) override { return Fail(); }
  std::int32_t ChooseFontA(CHOOSEFONT&) override { return Fail(); }
  std::int16_t PrintDlgA(PRINTDLG&) override { return static_cast<std::int16_t>(Fail()); }
  // The page-setup dialog reports a failure as 0, like a cancel.
  std::int16_t PageSetupDlgA(PAGESETUPDLG&) override {
    Fail();
    return kDialogCancelled;
  }
  std::int16_t GetFileTitleA(const std::string& file, std::string& buffer,
                             std::uint16_t capacity) override {
    return GetFileTitleOf(file, buffer, capacity);
  }
  std::uint32_t CommDlgExtendedError() override { return lastError_; }

  std::span<std::uint8_t> GlobalLock(HGLOBAL block) override { return memory_.GlobalLock(block); }
  bool GlobalUnlock(HGLOBAL block) override { return memory_.GlobalUnlock(block); }
  HGLOBAL GlobalFree(HGLOBAL block) override { return memory_.GlobalFree(block); }
  COLORREF GetSysColor(std::int32_t) override { return 0; }

 private:
  std::int32_t Fail() {
    lastError_ = CDERR_DIALOGFAILURE;
    return kDialogFailed;
  }

  std::uint32_t lastError_ = 0;
  MovableMemory memory_;
};

}  // namespace sprite::winsys
