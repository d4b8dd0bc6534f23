// The records of the print and page-setup dialogs and the printer device-mode
// record they hand back in movable memory, single-byte text forms.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "winsys/types.h"

namespace sprite::winsys {

// Flag bits of the print record, with the platform's published values.
inline constexpr std::uint32_t PD_SELECTION = 0x1;
inline constexpr std::uint32_t PD_PAGENUMS = 0x2;
inline constexpr std::uint32_t PD_NOSELECTION = 0x4;
inline constexpr std::uint32_t PD_NOPAGENUMS = 0x8;
inline constexpr std::uint32_t PD_COLLATE = 0x10;
inline constexpr std::uint32_t PD_PRINTTOFILE = 0x20;
inline constexpr std::uint32_t PD_NOWARNING = 0x80;
inline constexpr std::uint32_t PD_RETURNDC = 0x100;
inline constexpr std::uint32_t PD_ENABLEPRINTHOOK = 0x1000;
inline constexpr std::uint32_t PD_ENABLESETUPHOOK = 0x2000;
inline constexpr std::uint32_t PD_ENABLEPRINTTEMPLATE = 0x4000;
inline constexpr std::uint32_t PD_ENABLESETUPTEMPLATE = 0x8000;
// Copies and collation go into the device-mode record instead of the print record.
inline constexpr std::uint32_t PD_USEDEVMODECOPIESANDCOLLATE = 0x40000;
inline constexpr std::uint32_t PD_DISABLEPRINTTOFILE = 0x80000;
inline constexpr std::uint32_t PD_HIDEPRINTTOFILE = 0x100000;

// Flag bits of the page-setup record.
inline constexpr std::uint32_t PSD_MINMARGINS = 0x1;  // rtMinMargin holds the smallest margins
inline constexpr std::uint32_t PSD_MARGINS = 0x2;     // rtMargin holds the initial margins
inline constexpr std::uint32_t PSD_INTHOUSANDTHSOFINCHES = 0x4;
inline constexpr std::uint32_t PSD_INHUNDREDTHSOFMILLIMETERS = 0x8;
inline constexpr std::uint32_t PSD_DISABLEMARGINS = 0x10;
inline constexpr std::uint32_t PSD_DISABLEPRINTER = 0x20;
inline constexpr std::uint32_t PSD_DISABLEORIENTATION = 0x100;
inline constexpr std::uint32_t PSD_DISABLEPAPER = 0x200;

// Codes CommDlgExtendedError reports after a failed print dialog.
inline constexpr std::uint32_t PDERR_NODEFAULTPRN = 0x1008;

inline constexpr std::uint32_t kPrintDlgSize = 66;
inline constexpr std::uint32_t kPageSetupDlgSize = 84;

// Published values of device-mode fields.
inline constexpr std::int16_t DMORIENT_PORTRAIT = 1;
inline constexpr std::int16_t DMORIENT_LANDSCAPE = 2;
inline constexpr std::int16_t DMPAPER_USER = 256;
inline constexpr std::int16_t DMCOLOR_MONOCHROME = 1;
inline constexpr std::int16_t DMCOLOR_COLOR = 2;
inline constexpr std::int16_t DMDUP_SIMPLEX = 1;
inline constexpr std::int16_t DMDUP_VERTICAL = 2;
inline constexpr std::int16_t DMDUP_HORIZONTAL = 3;
inline constexpr std::uint32_t DM_ORIENTATION = 0x1;
inline constexpr std::uint32_t DM_PAPERSIZE = 0x2;
inline constexpr std::uint32_t DM_PAPERLENGTH = 0x4;
inline constexpr std::uint32_t DM_PAPERWIDTH = 0x8;
inline constexpr std::uint32_t DM_COPIES = 0x100;
inline constexpr std::uint32_t DM_PRINTQUALITY = 0x400;
inline constexpr std::uint32_t DM_COLOR = 0x800;
inline constexpr std::uint32_t DM_DUPLEX = 0x1000;
inline constexpr std::uint32_t DM_YRESOLUTION = 0x2000;
inline constexpr std::uint32_t DM_COLLATE = 0x8000;
inline constexpr std::uint32_t DM_FORMNAME = 0x10000;

// The leading 124 bytes of the printer device-mode record, up to the display
// frequency. Its names are 8-bit text of at most 31 bytes in 32-byte fields.
inline constexpr std::size_t kDevModeSize = 124;
struct DEVMODE {
  std::string dmDeviceName;
  std::uint16_t dmSpecVersion = 0;
  std::uint16_t dmDriverVersion = 0;
  std::uint16_t dmSize = 0;
  std::uint16_t dmDriverExtra = 0;
  std::uint32_t dmFields = 0;  // DM_ORIENTATION, ...: which fields hold values
  std::int16_t dmOrientation = 0;
  std::int16_t dmPaperSize = 0;    // a published paper code, or DMPAPER_USER
  std::int16_t dmPaperLength = 0;  // tenths of a millimetre
  std::int16_t dmPaperWidth = 0;
  std::int16_t dmScale = 0;
  std::int16_t dmCopies = 0;
  std::int16_t dmDefaultSource = 0;
  std::int16_t dmPrintQuality = 0;  // dots per inch, or a negative quality code
  std::int16_t dmColor = 0;
  std::int16_t dmDuplex = 0;
  std::int16_t dmYResolution = 0;
  std::int16_t dmTTOption = 0;
  std::int16_t dmCollate = 0;  // 1: collated
  std::string dmFormName;
  std::uint16_t dmLogPixels = 0;
  std::uint32_t dmBitsPerPel = 0;
  std::uint32_t dmPelsWidth = 0;
  std::uint32_t dmPelsHeight = 0;
  std::uint32_t dmDisplayFlags = 0;
  std::uint32_t dmDisplayFrequency = 0;
};

// The record's bytes as the platform lays them out: little-endian, names cut to
// 31 bytes (never inside a character) and NUL-padded.
std::array<std::uint8_t, kDevModeSize> DevModeBytes(const DEVMODE& record);
// The record from its bytes; bytes past the end of `bytes` read as 0. A name
// ends at its first NUL.
DEVMODE ReadDevMode(std::span<const std::uint8_t> bytes);

// The names of a printer: driver, device and output port, as 8-bit text. In
// movable memory: four 16-bit words (the offsets of the three names in
// characters from the start of the block, then a default flag) followed by the
// NUL-terminated names.
struct DEVNAMES {
  std::string driver;
  std::string device;
  std::string output;
  bool isDefault = false;
};
std::vector<std::uint8_t> DevNamesBytes(const DEVNAMES& names);

// The print-dialog record, packed, size 66.
struct PRINTDLG {
  std::uint32_t lStructSize = 0;  // kPrintDlgSize
  HWND hwndOwner = 0;
  HGLOBAL hDevMode = 0;   // a DEVMODE block; 0: start from the default printer
  HGLOBAL hDevNames = 0;  // a DEVNAMES block
  HDC hDC = 0;            // the chosen printer's device context (PD_RETURNDC)
  std::uint32_t Flags = 0;
  std::uint16_t nFromPage = 0;
  std::uint16_t nToPage = 0;
  std::uint16_t nMinPage = 0;
  std::uint16_t nMaxPage = 0;
  std::uint16_t nCopies = 0;
  HINSTANCE hInstance = 0;
  LPARAM lCustData = 0;
  std::intptr_t lpfnPrintHook = 0;
  std::intptr_t lpfnSetupHook = 0;
  std::string lpPrintTemplateName;
  std::string lpSetupTemplateName;
  HGLOBAL hPrintTemplate = 0;
  HGLOBAL hSetupTemplate = 0;
};

struct POINT {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct RECT {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// The page-setup record, size 84. Sizes and margins are in thousandths of an
// inch (PSD_INTHOUSANDTHSOFINCHES) or hundredths of a millimetre.
struct PAGESETUPDLG {
  std::uint32_t lStructSize = 0;  // kPageSetupDlgSize
  HWND hwndOwner = 0;
  HGLOBAL hDevMode = 0;
  HGLOBAL hDevNames = 0;
  std::uint32_t Flags = 0;
  POINT ptPaperSize;  // the paper as it lies in the chosen orientation
  RECT rtMinMargin;
  RECT rtMargin;
  HINSTANCE hInstance = 0;
  LPARAM lCustData = 0;
  std::intptr_t lpfnPageSetupHook = 0;
  std::intptr_t lpfnPagePaintHook = 0;
  std::string lpPageSetupTemplateName;
  HGLOBAL hPageSetupTemplate = 0;
};

}  // namespace sprite::winsys
