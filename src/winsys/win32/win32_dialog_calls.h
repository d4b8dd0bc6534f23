#pragma once

#include <cstdint>
#include <map>

#include "winsys/common_dialog_calls.h"

namespace sprite::winsys::win32 {

// The system's common dialogs. Each record is translated into the system's
// UTF-16 record and back: texts in UTF-16, buffers of as many UTF-16 units as
// the record's buffer has bytes (a name that fits in UTF-8 fits in those; a
// multiple selection gets room for any number of names), and
// a result that does not fit the record's buffer in UTF-8 reported as a
// failure with FNERR_BUFFERTOOSMALL, as the system reports a buffer too small.
// Hooks and templates are never passed on. Device-mode and device-names blocks
// come back as system memory blocks in the layer's byte layout, numbered here.
class Win32DialogCalls : public CommonDialogCalls {
 public:
  Win32DialogCalls() = default;
  Win32DialogCalls(const Win32DialogCalls&) = delete;
  Win32DialogCalls& operator=(const Win32DialogCalls&) = delete;

  std::int32_t GetOpenFileNameA(OPENFILENAME& record) override;
  std::int32_t GetSaveFileNameA(OPENFILENAME& record) override;
  std::int32_t ChooseColorA(CHOOSECOLOR& record) override;
  std::int32_t ChooseFontA(CHOOSEFONT& record) override;
  std::int16_t PrintDlgA(PRINTDLG& record) override;
  std::int16_t PageSetupDlgA(PAGESETUPDLG& record) override;
  std::int16_t GetFileTitleA(const std::string& file, std::string& buffer,
                             std::uint16_t capacity) override;
  std::uint32_t CommDlgExtendedError() override { return lastError_; }

  std::span<std::uint8_t> GlobalLock(HGLOBAL block) override;
  bool GlobalUnlock(HGLOBAL block) override;
  HGLOBAL GlobalFree(HGLOBAL block) override;
  COLORREF GetSysColor(std::int32_t index) override;

 private:
  std::int32_t FileDialog(OPENFILENAME& record, bool save);
  // The outcome of a dialog call that returned FALSE: a cancel or a failure.
  std::int32_t NotConfirmed();
  // The layer's blocks: system memory blocks holding the layer's byte layout.
  HGLOBAL Keep(void* systemBlock);
  void* SystemBlock(HGLOBAL block) const;
  // A device-mode block of the system (DEVMODEW) as a block of the layer, and back.
  HGLOBAL FromSystemDevMode(void* systemBlock);
  void* ToSystemDevMode(HGLOBAL block);
  HGLOBAL FromSystemDevNames(void* systemBlock);

  std::uint32_t lastError_ = 0;
  std::map<HGLOBAL, void*> blocks_;
  HGLOBAL nextBlock_ = 1;
};

}  // namespace sprite::winsys::win32
