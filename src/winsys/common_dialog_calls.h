#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "winsys/colour_font_records.h"
#include "winsys/print_records.h"
#include "winsys/types.h"

namespace sprite::winsys {

// Flag bits of the open-file record, with the platform's published values.
inline constexpr std::uint32_t OFN_READONLY = 0x1;
inline constexpr std::uint32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr std::uint32_t OFN_HIDEREADONLY = 0x4;
inline constexpr std::uint32_t OFN_ENABLEHOOK = 0x20;
inline constexpr std::uint32_t OFN_ENABLETEMPLATE = 0x40;
inline constexpr std::uint32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr std::uint32_t OFN_PATHMUSTEXIST = 0x800;
inline constexpr std::uint32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr std::uint32_t OFN_EXPLORER = 0x80000;

// Codes CommDlgExtendedError reports after a failed dialog.
inline constexpr std::uint32_t CDERR_STRUCTSIZE = 0x0001;
inline constexpr std::uint32_t CDERR_INITIALIZATION = 0x0002;
inline constexpr std::uint32_t CDERR_DIALOGFAILURE = 0xFFFF;
inline constexpr std::uint32_t FNERR_INVALIDFILENAME = 0x3002;
inline constexpr std::uint32_t FNERR_BUFFERTOOSMALL = 0x3003;

// The size the open-file record declares: its layout without the trailing reserved fields.
inline constexpr std::uint32_t kOpenFileNameSize = 76;

// What a dialog call returns: 1 confirmed, 0 cancelled, any other value a
// failure whose reason CommDlgExtendedError gives. Backends report a failure as
// kDialogFailed.
inline constexpr std::int32_t kDialogConfirmed = 1;
inline constexpr std::int32_t kDialogCancelled = 0;
inline constexpr std::int32_t kDialogFailed = -1;

// The open-file-name record, single-byte text form. Texts are 8-bit text (UTF-8
// here) and an empty text stands for none. The record owns its file and title
// buffers, each exactly as long as its capacity (nMaxFile, nMaxFileTitle); a
// dialog writes its results into them and never past their capacity.
struct OPENFILENAME {
  std::uint32_t lStructSize = 0;  // kOpenFileNameSize
  HWND hwndOwner = 0;             // 0: no owner
  HINSTANCE hInstance = 0;
  // Description and pattern alternating, each followed by a NUL, then one more
  // NUL. A pattern may list several, separated by ";".
  std::string lpstrFilter;
  std::string lpstrCustomFilter;
  std::uint32_t nMaxCustFilter = 0;
  std::uint32_t nFilterIndex = 0;  // 1 = the first pair
  // On confirmation: a single selection as the full path and a NUL; a multiple
  // selection (OFN_ALLOWMULTISELECT | OFN_EXPLORER) as the folder, a NUL, each
  // name followed by a NUL, and one more NUL. The rest of the buffer is left as it was.
  std::string lpstrFile;
  std::uint32_t nMaxFile = 0;
  std::string lpstrFileTitle;  // the chosen file's name without its folder, and a NUL
  std::uint32_t nMaxFileTitle = 0;
  std::string lpstrInitialDir;
  std::string lpstrTitle;  // the caption; empty: the dialog's own
  std::uint32_t Flags = 0;
  std::uint16_t nFileOffset = 0;
  std::uint16_t nFileExtension = 0;
  std::string lpstrDefExt;  // added to a typed name that has no extension
  LPARAM lCustData = 0;
  std::intptr_t lpfnHook = 0;
  std::string lpTemplateName;
};

// The common dialog calls of the platform, single-byte text variants, and the
// memory and system-colour calls they go with.
class CommonDialogCalls {
 public:
  virtual ~CommonDialogCalls() = default;

  // Modal: return when the user has closed the dialog. See kDialogConfirmed.
  // A cancelled or failed dialog leaves the record as it was.
  virtual std::int32_t GetOpenFileNameA(OPENFILENAME& record) = 0;
  virtual std::int32_t GetSaveFileNameA(OPENFILENAME& record) = 0;
  // On confirmation: rgbResult; the custom colours may change on any outcome.
  virtual std::int32_t ChooseColorA(CHOOSECOLOR& record) = 0;
  // On confirmation: Flags, rgbColors, nFontType, iPointSize and the logical font.
  virtual std::int32_t ChooseFontA(CHOOSEFONT& record) = 0;
  // On confirmation: hDC (PD_RETURNDC), Flags, the pages, nCopies, and new
  // hDevMode and hDevNames blocks, which the caller frees.
  virtual std::int16_t PrintDlgA(PRINTDLG& record) = 0;
  // Non-zero on confirmation, 0 for a cancel and a failure alike: the paper
  // size, both margin rectangles, and new hDevMode and hDevNames blocks, which
  // the caller frees.
  virtual std::int16_t PageSetupDlgA(PAGESETUPDLG& record) = 0;
  // The display title of a path. 0 on success, with the title and a NUL at the
  // start of `buffer` (which holds `capacity` bytes); a positive result is the
  // capacity the title needs, a negative one an error.
  virtual std::int16_t GetFileTitleA(const std::string& file, std::string& buffer,
                                     std::uint16_t capacity) = 0;
  // The reason for the last failed dialog; 0 after a confirmed or cancelled one.
  virtual std::uint32_t CommDlgExtendedError() = 0;

  // Movable memory: the block's bytes, valid until it is freed (empty for a
  // handle that names no block); whether it is still locked; 0 once freed.
  virtual std::span<std::uint8_t> GlobalLock(HGLOBAL block) = 0;
  virtual bool GlobalUnlock(HGLOBAL block) = 0;
  virtual HGLOBAL GlobalFree(HGLOBAL block) = 0;
  // A system colour (COLOR_HIGHLIGHT, ...) as RGB; 0 for an index that names none.
  virtual COLORREF GetSysColor(std::int32_t index) = 0;
};

}  // namespace sprite::winsys
