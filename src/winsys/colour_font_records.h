// The records of the colour and font dialogs, single-byte text forms.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "winsys/types.h"

namespace sprite::winsys {

// Flag bits of the colour record, with the platform's published values.
inline constexpr std::uint32_t CC_RGBINIT = 0x1;          // start from rgbResult
inline constexpr std::uint32_t CC_FULLOPEN = 0x2;         // custom-colour part shown
inline constexpr std::uint32_t CC_PREVENTFULLOPEN = 0x4;  // custom-colour part cannot be opened
inline constexpr std::uint32_t CC_ENABLEHOOK = 0x10;
inline constexpr std::uint32_t CC_ENABLETEMPLATE = 0x20;
inline constexpr std::uint32_t CC_SOLIDCOLOR = 0x80;
inline constexpr std::uint32_t CC_ANYCOLOR = 0x100;

// Flag bits of the font-choice record.
inline constexpr std::uint32_t CF_SCREENFONTS = 0x1;
inline constexpr std::uint32_t CF_PRINTERFONTS = 0x2;
inline constexpr std::uint32_t CF_ENABLEHOOK = 0x8;
inline constexpr std::uint32_t CF_ENABLETEMPLATE = 0x10;
inline constexpr std::uint32_t CF_INITTOLOGFONTSTRUCT = 0x40;
inline constexpr std::uint32_t CF_EFFECTS = 0x100;  // strikeout, underline and colour offered
inline constexpr std::uint32_t CF_APPLY = 0x200;
inline constexpr std::uint32_t CF_LIMITSIZE = 0x2000;
inline constexpr std::uint32_t CF_FIXEDPITCHONLY = 0x4000;
inline constexpr std::uint32_t CF_SCALABLEONLY = 0x20000;

// Bits of the font type the font dialog reports.
inline constexpr std::uint16_t BOLD_FONTTYPE = 0x100;
inline constexpr std::uint16_t ITALIC_FONTTYPE = 0x200;
inline constexpr std::uint16_t REGULAR_FONTTYPE = 0x400;
inline constexpr std::uint16_t SCREEN_FONTTYPE = 0x2000;

// Codes CommDlgExtendedError reports after a failed font dialog.
inline constexpr std::uint32_t CFERR_NOFONTS = 0x2001;

inline constexpr std::uint32_t kChooseColorSize = 36;
inline constexpr std::uint32_t kChooseFontSize = 60;
inline constexpr std::size_t kCustomColourCount = 16;
// The face-name field holds 33 bytes; the platform reads a name of at most the
// first 32, up to its first NUL.
inline constexpr std::size_t kFaceNameBytes = 33;
inline constexpr std::size_t kFaceNameUsed = 32;

// Colour values in the platform's form: red in the low byte, then green, then blue.
using COLORREF = std::uint32_t;
using CustomColours = std::array<COLORREF, kCustomColourCount>;

// The colour-choice record.
struct CHOOSECOLOR {
  std::uint32_t lStructSize = 0;  // kChooseColorSize
  HWND hwndOwner = 0;             // 0: no owner
  HINSTANCE hInstance = 0;
  COLORREF rgbResult = 0;  // the initial colour (CC_RGBINIT), and the chosen one
  // The caller's 16 custom colours; the dialog may rewrite them in place.
  CustomColours* lpCustColors = nullptr;
  std::uint32_t Flags = 0;
  LPARAM lCustData = 0;
  std::intptr_t lpfnHook = 0;
  std::string lpTemplateName;
};

// The logical-font record. Heights are in pixels; a negative height is the
// character height without the internal leading.
struct LOGFONT {
  std::int32_t lfHeight = 0;
  std::int32_t lfWidth = 0;
  std::int32_t lfEscapement = 0;
  std::int32_t lfOrientation = 0;
  std::int32_t lfWeight = 0;  // 0: the default; 400 normal, 700 bold
  std::uint8_t lfItalic = 0;  // non-zero: true
  std::uint8_t lfUnderline = 0;
  std::uint8_t lfStrikeOut = 0;
  std::uint8_t lfCharSet = 0;
  std::uint8_t lfOutPrecision = 0;
  std::uint8_t lfClipPrecision = 0;
  std::uint8_t lfQuality = 0;
  std::uint8_t lfPitchAndFamily = 0;
  std::array<std::uint8_t, kFaceNameBytes> lfFaceName{};  // 8-bit text, NUL-padded
};

// The font-choice record; it points at the logical-font record it reads and fills.
struct CHOOSEFONT {
  std::uint32_t lStructSize = 0;  // kChooseFontSize
  HWND hwndOwner = 0;
  HDC hDC = 0;  // the printer whose fonts to list (CF_PRINTERFONTS)
  LOGFONT* lpLogFont = nullptr;
  std::int32_t iPointSize = 0;  // tenths of a point, filled by the dialog
  std::uint32_t Flags = 0;
  COLORREF rgbColors = 0;  // the text colour (CF_EFFECTS)
  LPARAM lCustData = 0;
  std::intptr_t lpfnHook = 0;
  std::string lpTemplateName;
  HINSTANCE hInstance = 0;
  std::string lpszStyle;
  std::uint16_t nFontType = 0;  // BOLD_FONTTYPE, ...
  std::int32_t nSizeMin = 0;    // points (CF_LIMITSIZE)
  std::int32_t nSizeMax = 0;
};

}  // namespace sprite::winsys
