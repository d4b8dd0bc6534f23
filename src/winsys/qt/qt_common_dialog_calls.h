#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "winsys/common_dialog_calls.h"
#include "winsys/emulated/movable_memory.h"

class QDialog;
class QPrinter;
class QWidget;

namespace sprite::winsys::qt {

class QtWindowCalls;

// The common dialogs on Qt's own dialogs. The owner handle of a record names a
// window of the handle table; the dialog is modal to it (to the whole
// application when there is none). An owner handle that names no window, or an
// error inside a dialog, fails with CDERR_DIALOGFAILURE; a record of the wrong
// size fails with CDERR_STRUCTSIZE. A cancel or a failure leaves the record as
// it was.
//
// File dialogs: OFN_ALLOWMULTISELECT lets the open dialog take several files,
// which come back in the NUL-separated form with or without OFN_EXPLORER (the
// older blank-separated form cannot hold names with blanks); Qt checks that
// several files exist whether or not OFN_FILEMUSTEXIST asks for it. A selection
// the file buffer cannot hold is refused inside the dialog.
//
// Colour dialog: starts from rgbResult with CC_RGBINIT (else from black) and
// shows the 16 custom colours, which come back, as the user left them, after a
// cancel too. Qt's dialog always shows the part that defines custom colours;
// CC_PREVENTFULLOPEN without CC_FULLOPEN hides it. Every colour on a
// true-colour screen is solid, so CC_SOLIDCOLOR and CC_ANYCOLOR choose alike.
//
// Font dialog: starts from the logical font with CF_INITTOLOGFONTSTRUCT (else
// from the application font); shows strikeout and underline only with
// CF_EFFECTS; CF_FIXEDPITCHONLY and CF_SCALABLEONLY narrow the list. Qt's
// dialog has no text colour, no size limits and no printer fonts: rgbColors,
// CF_LIMITSIZE with nSizeMin and nSizeMax, and hDC with CF_PRINTERFONTS are
// taken and change nothing. Heights are pixels of the primary screen.
//
// Print and page-setup dialogs: start from the default printer (a device-mode
// block handed in is not read) or, with no printer installed, from a PDF file.
// PD_PRINTTOFILE selects the PDF file; PD_DISABLEPRINTTOFILE and
// PD_HIDEPRINTTOFILE leave it out, and with no printer installed the print
// dialog then fails with PDERR_NODEFAULTPRN. A confirmed dialog hands back a
// new device-mode and device-names block each. The device context of
// PD_RETURNDC names a QPrinter that stays until DeleteDC.
class QtCommonDialogCalls : public CommonDialogCalls {
 public:
  explicit QtCommonDialogCalls(QtWindowCalls& windows);
  ~QtCommonDialogCalls() override;
  QtCommonDialogCalls(const QtCommonDialogCalls&) = delete;
  QtCommonDialogCalls& operator=(const QtCommonDialogCalls&) = delete;

  std::int32_t GetOpenFileNameA(OPENFILENAME& record) override;
  std::int32_t GetSaveFileNameA(OPENFILENAME& record) override;
  std::int32_t ChooseColorA(CHOOSECOLOR& record) override;
  std::int32_t ChooseFontA(CHOOSEFONT& record) override;
  std::int16_t PrintDlgA(PRINTDLG& record) override;
  std::int16_t PageSetupDlgA(PAGESETUPDLG& record) override;
  std::int16_t GetFileTitleA(const std::string& file, std::string& buffer,
                             std::uint16_t capacity) override;
  std::uint32_t CommDlgExtendedError() override { return lastError_; }

  std::span<std::uint8_t> GlobalLock(HGLOBAL block) override { return memory_.GlobalLock(block); }
  bool GlobalUnlock(HGLOBAL block) override { return memory_.GlobalUnlock(block); }
  HGLOBAL GlobalFree(HGLOBAL block) override { return memory_.GlobalFree(block); }
  // From the application palette, as OleTranslateColor translates system colours.
  COLORREF GetSysColor(std::int32_t index) override;

  // The device context of the default printer, made on first use and kept.
  HDC DefaultPrinterDC();
  // The printer a device context names; nullptr for none.
  QPrinter* Printer(HDC dc) const;
  // Releases a device context; false when it names none.
  bool DeleteDC(HDC dc);
  // The blocks handed back and not yet freed.
  std::size_t MemoryBlocks() const { return memory_.BlockCount(); }

 private:
  // Resets the extended error, runs `show` and turns an error escaping it
  // into a failure with CDERR_DIALOGFAILURE.
  std::int32_t Guarded(const std::function<std::int32_t()>& show);
  std::int32_t Fail(std::uint32_t code);
  // The window a dialog is modal to; nullptr (none) for handle 0, nothing
  // for a handle that names no window.
  std::optional<QWidget*> OwnerWindow(HWND handle) const;
  // Shows the dialog modal to its owner; whether the user accepted it.
  static bool Run(QDialog& dialog, QWidget* owner);

  std::int32_t RunFileDialog(OPENFILENAME& record, bool save);
  std::int32_t RunColourDialog(CHOOSECOLOR& record);
  std::int32_t RunFontDialog(CHOOSEFONT& record);
  std::int32_t RunPrintDialog(PRINTDLG& record);
  std::int32_t RunPageSetupDialog(PAGESETUPDLG& record);
  // A device-mode and a device-names block describing the printer.
  void HandBack(const QPrinter& printer, HGLOBAL& devMode, HGLOBAL& devNames);
  HDC Keep(std::unique_ptr<QPrinter> printer);

  QtWindowCalls& windows_;
  std::uint32_t lastError_ = 0;
  MovableMemory memory_;
  std::map<HDC, std::unique_ptr<QPrinter>> printers_;
  HDC nextDC_ = 1;
  HDC defaultDC_ = 0;
};

}  // namespace sprite::winsys::qt
