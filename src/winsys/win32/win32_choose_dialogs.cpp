// The colour, font, print and page-setup dialogs, translated for the system.
#include <algorithm>
#include <cstring>

#include "common/utf8.h"
#include "winsys/win32/win32_dialog_calls.h"
#include "winsys/win32/win32_windows.h"

namespace sprite::winsys::win32 {
namespace {

// The flags that ask for hook procedures or templates, never passed on.
constexpr DWORD kColourHookFlags = CC_ENABLEHOOK | CC_ENABLETEMPLATE | 0x40;
constexpr DWORD kFontHookFlags = CF_ENABLEHOOK | CF_ENABLETEMPLATE | 0x20 | CF_APPLY | 0x80;
constexpr DWORD kPrintHookFlags = PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK | PD_ENABLEPRINTTEMPLATE |
                                  PD_ENABLESETUPTEMPLATE | 0x10000 | 0x20000;
constexpr DWORD kPageSetupHookFlags = 0x2000 | 0x8000 | 0x20000 | 0x40000;

::LOGFONTW SystemFont(const LOGFONT& font) {
  ::LOGFONTW system{};
  system.lfHeight = font.lfHeight;
  system.lfWidth = font.lfWidth;
  system.lfEscapement = font.lfEscapement;
  system.lfOrientation = font.lfOrientation;
  system.lfWeight = font.lfWeight;
  system.lfItalic = font.lfItalic;
  system.lfUnderline = font.lfUnderline;
  system.lfStrikeOut = font.lfStrikeOut;
  system.lfCharSet = font.lfCharSet;
  system.lfOutPrecision = font.lfOutPrecision;
  system.lfClipPrecision = font.lfClipPrecision;
  system.lfQuality = font.lfQuality;
  system.lfPitchAndFamily = font.lfPitchAndFamily;
  const auto* face = reinterpret_cast<const char*>(font.lfFaceName.data());
  const std::wstring name = Wide(std::string(face, ::strnlen(face, kFaceNameUsed)));
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), LF_FACESIZE - 1), system.lfFaceName);
  return system;
}

void LayerFont(const ::LOGFONTW& system, LOGFONT& font) {
  font.lfHeight = system.lfHeight;
  font.lfWidth = system.lfWidth;
  font.lfEscapement = system.lfEscapement;
  font.lfOrientation = system.lfOrientation;
  font.lfWeight = system.lfWeight;
  font.lfItalic = system.lfItalic;
  font.lfUnderline = system.lfUnderline;
  font.lfStrikeOut = system.lfStrikeOut;
  font.lfCharSet = system.lfCharSet;
  font.lfOutPrecision = system.lfOutPrecision;
  font.lfClipPrecision = system.lfClipPrecision;
  font.lfQuality = system.lfQuality;
  font.lfPitchAndFamily = system.lfPitchAndFamily;
  const std::string name = Narrow(system.lfFaceName);
  font.lfFaceName.fill(0);
  std::memcpy(font.lfFaceName.data(), name.data(), Utf8PrefixLength(name, kFaceNameUsed));
}

void* NewBlock(std::span<const std::uint8_t> bytes) {
  void* block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
  if (block != nullptr) {
    void* at = ::GlobalLock(block);
    std::memcpy(at, bytes.data(), bytes.size());
    ::GlobalUnlock(block);
  }
  return block;
}

}  // namespace

std::int32_t Win32DialogCalls::ChooseColorA(CHOOSECOLOR& record) {
  lastError_ = 0;
  ::COLORREF custom[kCustomColourCount] = {};
  if (record.lpCustColors != nullptr) {
    std::copy(record.lpCustColors->begin(), record.lpCustColors->end(), custom);
  }
  CHOOSECOLORW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = SystemWindow(record.hwndOwner);
  request.rgbResult = record.rgbResult;
  request.lpCustColors = custom;
  request.Flags = record.Flags & ~kColourHookFlags;
  const BOOL confirmed = ::ChooseColorW(&request);
  if (record.lpCustColors != nullptr) {
    std::copy(std::begin(custom), std::end(custom), record.lpCustColors->begin());
  }
  if (confirmed == 0) {
    return NotConfirmed();
  }
  record.rgbResult = request.rgbResult;
  return kDialogConfirmed;
}

std::int32_t Win32DialogCalls::ChooseFontA(CHOOSEFONT& record) {
  lastError_ = 0;
  LOGFONT none;
  LOGFONT& font = record.lpLogFont != nullptr ? *record.lpLogFont : none;
  ::LOGFONTW system = SystemFont(font);
  CHOOSEFONTW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = SystemWindow(record.hwndOwner);
  request.hDC = SystemDc(record.hDC);
  request.lpLogFont = &system;
  request.iPointSize = record.iPointSize;
  request.Flags = record.Flags & ~kFontHookFlags;
  request.rgbColors = record.rgbColors;
  request.nSizeMin = record.nSizeMin;
  request.nSizeMax = record.nSizeMax;
  if (::ChooseFontW(&request) == 0) {
    return NotConfirmed();
  }
  record.Flags = request.Flags;
  record.rgbColors = request.rgbColors;
  record.nFontType = request.nFontType;
  record.iPointSize = request.iPointSize;
  LayerFont(system, font);
  return kDialogConfirmed;
}

std::int16_t Win32DialogCalls::PrintDlgA(PRINTDLG& record) {
  lastError_ = 0;
  PRINTDLGW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = SystemWindow(record.hwndOwner);
  // The printer names of a block passed in are not carried over: the dialog
  // then starts from the printer the device mode names.
  request.hDevMode = ToSystemDevMode(record.hDevMode);
  request.Flags = record.Flags & ~kPrintHookFlags;
  request.nFromPage = record.nFromPage;
  request.nToPage = record.nToPage;
  request.nMinPage = record.nMinPage;
  request.nMaxPage = record.nMaxPage;
  request.nCopies = record.nCopies;
  const BOOL confirmed = ::PrintDlgW(&request);
  if (confirmed == 0) {
    if (request.hDevMode != nullptr) {
      ::GlobalFree(request.hDevMode);
    }
    return static_cast<std::int16_t>(NotConfirmed());
  }
  record.hDC = LayerDc(request.hDC);
  record.Flags = request.Flags;
  record.nFromPage = request.nFromPage;
  record.nToPage = request.nToPage;
  record.nCopies = request.nCopies;
  record.hDevMode = FromSystemDevMode(request.hDevMode);
  record.hDevNames = FromSystemDevNames(request.hDevNames);
  return kDialogConfirmed;
}

std::int16_t Win32DialogCalls::PageSetupDlgA(PAGESETUPDLG& record) {
  lastError_ = 0;
  PAGESETUPDLGW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = SystemWindow(record.hwndOwner);
  request.hDevMode = ToSystemDevMode(record.hDevMode);
  request.Flags = record.Flags & ~kPageSetupHookFlags;
  request.ptPaperSize = {record.ptPaperSize.x, record.ptPaperSize.y};
  request.rtMinMargin = {record.rtMinMargin.left, record.rtMinMargin.top, record.rtMinMargin.right,
                         record.rtMinMargin.bottom};
  request.rtMargin = {record.rtMargin.left, record.rtMargin.top, record.rtMargin.right,
                      record.rtMargin.bottom};
  if (::PageSetupDlgW(&request) == 0) {
    if (request.hDevMode != nullptr) {
      ::GlobalFree(request.hDevMode);
    }
    NotConfirmed();
    return kDialogCancelled;
  }
  record.ptPaperSize = {request.ptPaperSize.x, request.ptPaperSize.y};
  record.rtMinMargin = {request.rtMinMargin.left, request.rtMinMargin.top,
                        request.rtMinMargin.right, request.rtMinMargin.bottom};
  record.rtMargin = {request.rtMargin.left, request.rtMargin.top, request.rtMargin.right,
                     request.rtMargin.bottom};
  record.hDevMode = FromSystemDevMode(request.hDevMode);
  record.hDevNames = FromSystemDevNames(request.hDevNames);
  return 1;
}

HGLOBAL Win32DialogCalls::FromSystemDevMode(void* systemBlock) {
  if (systemBlock == nullptr) {
    return 0;
  }
  const auto* system = static_cast<const DEVMODEW*>(::GlobalLock(systemBlock));
  DEVMODE mode;
  if (system != nullptr) {
    mode.dmDeviceName = Narrow(system->dmDeviceName);
    mode.dmSpecVersion = system->dmSpecVersion;
    mode.dmDriverVersion = system->dmDriverVersion;
    mode.dmSize = static_cast<std::uint16_t>(kDevModeSize);
    mode.dmFields = system->dmFields;
    mode.dmOrientation = system->dmOrientation;
    mode.dmPaperSize = system->dmPaperSize;
    mode.dmPaperLength = system->dmPaperLength;
    mode.dmPaperWidth = system->dmPaperWidth;
    mode.dmScale = system->dmScale;
    mode.dmCopies = system->dmCopies;
    mode.dmDefaultSource = system->dmDefaultSource;
    mode.dmPrintQuality = system->dmPrintQuality;
    mode.dmColor = system->dmColor;
    mode.dmDuplex = system->dmDuplex;
    mode.dmYResolution = system->dmYResolution;
    mode.dmTTOption = system->dmTTOption;
    mode.dmCollate = system->dmCollate;
    mode.dmFormName = Narrow(system->dmFormName);
    mode.dmLogPixels = system->dmLogPixels;
    mode.dmBitsPerPel = system->dmBitsPerPel;
    mode.dmPelsWidth = system->dmPelsWidth;
    mode.dmPelsHeight = system->dmPelsHeight;
    mode.dmDisplayFlags = system->dmDisplayFlags;
    mode.dmDisplayFrequency = system->dmDisplayFrequency;
    ::GlobalUnlock(systemBlock);
  }
  ::GlobalFree(systemBlock);
  return Keep(NewBlock(DevModeBytes(mode)));
}

void* Win32DialogCalls::ToSystemDevMode(HGLOBAL block) {
  const std::span<std::uint8_t> bytes = GlobalLock(block);
  if (bytes.empty()) {
    return nullptr;
  }
  const DEVMODE mode = ReadDevMode(bytes);
  GlobalUnlock(block);
  DEVMODEW system{};
  const std::wstring device = Wide(mode.dmDeviceName);
  const std::wstring form = Wide(mode.dmFormName);
  std::copy_n(device.begin(), std::min<std::size_t>(device.size(), CCHDEVICENAME - 1),
              system.dmDeviceName);
  std::copy_n(form.begin(), std::min<std::size_t>(form.size(), CCHFORMNAME - 1), system.dmFormName);
  system.dmSpecVersion = DM_SPECVERSION;
  system.dmSize = sizeof system;
  system.dmFields = mode.dmFields;
  system.dmOrientation = mode.dmOrientation;
  system.dmPaperSize = mode.dmPaperSize;
  system.dmPaperLength = mode.dmPaperLength;
  system.dmPaperWidth = mode.dmPaperWidth;
  system.dmScale = mode.dmScale;
  system.dmCopies = mode.dmCopies;
  system.dmDefaultSource = mode.dmDefaultSource;
  system.dmPrintQuality = mode.dmPrintQuality;
  system.dmColor = mode.dmColor;
  system.dmDuplex = mode.dmDuplex;
  system.dmYResolution = mode.dmYResolution;
  system.dmTTOption = mode.dmTTOption;
  system.dmCollate = mode.dmCollate;
  return NewBlock(std::span(reinterpret_cast<const std::uint8_t*>(&system), sizeof system));
}

HGLOBAL Win32DialogCalls::FromSystemDevNames(void* systemBlock) {
  if (systemBlock == nullptr) {
    return 0;
  }
  const auto* system = static_cast<const ::DEVNAMES*>(::GlobalLock(systemBlock));
  DEVNAMES names;
  if (system != nullptr) {
    const auto* text = reinterpret_cast<const wchar_t*>(system);
    names.driver = Narrow(text + system->wDriverOffset);
    names.device = Narrow(text + system->wDeviceOffset);
    names.output = Narrow(text + system->wOutputOffset);
    names.isDefault = (system->wDefault & DN_DEFAULTPRN) != 0;
    ::GlobalUnlock(systemBlock);
  }
  ::GlobalFree(systemBlock);
  return Keep(NewBlock(DevNamesBytes(names)));
}

}  // namespace sprite::winsys::win32
