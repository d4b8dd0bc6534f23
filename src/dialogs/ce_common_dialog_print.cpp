// The print and page-setup dialogs, the device mode they hand back and the
// printer object they update.
#include <algorithm>
#include <utility>

#include "dialogs/ce_common_dialog.h"
#include "dialogs/checked_numbers.h"

namespace sprite::dialogs {
namespace {

using namespace winsys;

// The device-mode record is copied as 122 bytes: the last two bytes of the
// 124 (the top half of the display frequency) stay 0.
constexpr std::size_t kDevModeCopied = 122;

constexpr std::int32_t kPageNumbers = 1;
constexpr std::int32_t kSelection = 2;
constexpr std::uint16_t kMinPage = 1;
constexpr std::uint16_t kMaxPage = 65535;

// Rectangle units: thousandths of an inch, or hundredths of a millimetre.
constexpr double kThousandthsPerInch = 1000.0;
constexpr double kHundredthsPerMillimetre = 100.0;

std::uint16_t PageField(std::int32_t page, const char* what) {
  return static_cast<std::uint16_t>(ToInt16(page, what));
}

std::int32_t PageNumber(std::uint16_t field) {
  return static_cast<std::int16_t>(field);
}

std::int32_t Scaled(float margin, double factor) {
  return RoundToInt32(static_cast<double>(margin) * factor, "the margin in the dialog's units");
}

float Unscaled(std::int32_t value, double factor) {
  return static_cast<float>(value / factor);
}

// The arguments with every margin converted.
template <typename To, typename From, typename Convert>
PageSetupArgsOf<To> WithMargins(const PageSetupArgsOf<From>& from, Convert convert) {
  return {from.Owner,
          from.DisableMargins,
          from.DisableOrientation,
          from.DisablePaper,
          from.DisablePrinter,
          convert(from.LeftMargin),
          convert(from.MinLeftMargin),
          convert(from.RightMargin),
          convert(from.MinRightMargin),
          convert(from.TopMargin),
          convert(from.MinTopMargin),
          convert(from.BottomMargin),
          convert(from.MinBottomMargin),
          from.PaperSize,
          from.Orientation,
          from.PrintQuality,
          from.Units,
          from.Printer,
          from.flags,
          from.Hook,
          from.EventSink};
}

}  // namespace

bool ceCommonDialog::VBPrintDlg(PrintArgs& args) {
  ResetOutcome();
  std::uint32_t flags = static_cast<std::uint32_t>(args.flags);
  const std::pair<bool, std::uint32_t> switches[] = {
      {args.DisablePageNumbers, PD_NOPAGENUMS},
      {args.DisablePrintToFile, PD_DISABLEPRINTTOFILE},
      {args.DisableSelection, PD_NOSELECTION},
      {args.PrintToFile, PD_PRINTTOFILE},
      {!args.ShowPrintToFile, PD_HIDEPRINTTOFILE},
      {args.PreventWarning, PD_NOWARNING},
      {args.Collate, PD_COLLATE}};
  for (const auto& [on, bit] : switches) {
    if (on) {
      flags |= bit;
    }
  }
  flags |= PD_USEDEVMODECOPIESANDCOLLATE | PD_RETURNDC;
  if (args.PrintRange == kPageNumbers) {
    flags |= PD_PAGENUMS;
  } else if (args.PrintRange == kSelection) {
    flags |= PD_SELECTION;
  }
  flags &=
      ~(PD_ENABLEPRINTHOOK | PD_ENABLEPRINTTEMPLATE | PD_ENABLESETUPHOOK | PD_ENABLESETUPTEMPLATE);

  PRINTDLG record;
  record.lStructSize = kPrintDlgSize;
  record.hwndOwner = args.Owner;
  record.Flags = flags;
  record.nFromPage = PageField(args.FromPage, "FromPage");
  record.nToPage = PageField(args.ToPage, "ToPage");
  record.nMinPage = kMinPage;
  record.nMaxPage = kMaxPage;

  if (!FinishDialog(calls_.PrintDlgA(record))) {
    return false;
  }
  args.hdc = record.hDC;
  if ((record.Flags & PD_PAGENUMS) != 0) {
    args.PrintRange = kPageNumbers;
  } else if ((record.Flags & PD_SELECTION) != 0) {
    args.PrintRange = kSelection;
  } else {
    args.PrintRange = 0;
  }
  args.FromPage = PageNumber(record.nFromPage);
  args.ToPage = PageNumber(record.nToPage);
  args.PrintToFile = (record.Flags & PD_PRINTTOFILE) != 0;
  devMode_ = TakeDeviceMode(record.hDevMode, record.hDevNames);
  // A collate bit in the word means the device mode cannot hold copies and collation.
  if ((record.Flags & PD_COLLATE) != 0) {
    args.Collate = true;
    args.Copies = static_cast<std::int16_t>(record.nCopies);
  } else {
    args.Collate = devMode_.dmCollate == 1;
    args.Copies = devMode_.dmCopies;
  }
  UpdatePrinter(args.Printer, args.Copies, devMode_.dmOrientation, devMode_.dmPaperSize,
                devMode_.dmPrintQuality);
  return true;
}

bool ceCommonDialog::VBPageSetupDlg2(PageSetup2Args& args) {
  ResetOutcome();
  std::uint32_t flags = 0;
  const std::pair<bool, std::uint32_t> switches[] = {
      {args.DisableMargins, PSD_DISABLEMARGINS},
      {args.DisableOrientation, PSD_DISABLEORIENTATION},
      {args.DisablePaper, PSD_DISABLEPAPER},
      {args.DisablePrinter, PSD_DISABLEPRINTER}};
  for (const auto& [on, bit] : switches) {
    if (on) {
      flags |= bit;
    }
  }
  // Without PSD_MARGINS and PSD_MINMARGINS the dialog starts from the printer's margins.
  const bool inches = args.Units == 0;
  flags |= inches ? PSD_INTHOUSANDTHSOFINCHES : PSD_INHUNDREDTHSOFMILLIMETERS;
  const double factor = inches ? kThousandthsPerInch : kHundredthsPerMillimetre;

  PAGESETUPDLG record;
  record.lStructSize = kPageSetupDlgSize;
  record.hwndOwner = args.Owner;
  record.Flags = flags;
  record.rtMargin = {Scaled(args.LeftMargin, factor), Scaled(args.TopMargin, factor),
                     Scaled(args.RightMargin, factor), Scaled(args.BottomMargin, factor)};
  record.rtMinMargin = {Scaled(args.MinLeftMargin, factor), Scaled(args.MinTopMargin, factor),
                        Scaled(args.MinRightMargin, factor), Scaled(args.MinBottomMargin, factor)};

  // The result is not kept: APIReturn and ExtendedError stay 0.
  const bool confirmed = calls_.PageSetupDlgA(record) != 0;
  eventSink_ = nullptr;
  if (!confirmed) {
    return false;
  }
  args.TopMargin = Unscaled(record.rtMargin.top, factor);
  args.LeftMargin = Unscaled(record.rtMargin.left, factor);
  args.BottomMargin = Unscaled(record.rtMargin.bottom, factor);
  args.RightMargin = Unscaled(record.rtMargin.right, factor);
  args.MinTopMargin = Unscaled(record.rtMinMargin.top, factor);
  args.MinLeftMargin = Unscaled(record.rtMinMargin.left, factor);
  args.MinBottomMargin = Unscaled(record.rtMinMargin.bottom, factor);
  args.MinRightMargin = Unscaled(record.rtMinMargin.right, factor);
  const DEVMODE devMode = TakeDeviceMode(record.hDevMode, record.hDevNames);
  args.PaperSize = devMode.dmPaperSize;
  args.Orientation = devMode.dmOrientation;
  args.PrintQuality = devMode.dmPrintQuality;
  UpdatePrinter(args.Printer, devMode.dmCopies, devMode.dmOrientation, devMode.dmPaperSize,
                devMode.dmPrintQuality);
  return true;
}

bool ceCommonDialog::VBPageSetupDlg(PageSetupArgs& args) {
  // The dialog starts from the printer's margins (the margins-given bits are
  // not set), so zero margins go in; a cancel does not write them back and
  // leaves the caller's margins as they were.
  PageSetup2Args exact = WithMargins<float>(args, [](std::int32_t) { return 0.0F; });
  if (!VBPageSetupDlg2(exact)) {
    return false;
  }
  args = WithMargins<std::int32_t>(exact,
                                   [](float margin) { return RoundToInt32(margin, "the margin"); });
  return true;
}

DEVMODE ceCommonDialog::TakeDeviceMode(HGLOBAL devMode, HGLOBAL devNames) {
  std::array<std::uint8_t, kDevModeSize> bytes{};
  if (devMode != 0) {
    const std::span<std::uint8_t> block = calls_.GlobalLock(devMode);
    std::copy_n(block.begin(), std::min(block.size(), kDevModeCopied), bytes.begin());
    calls_.GlobalUnlock(devMode);
    calls_.GlobalFree(devMode);
  }
  // Nothing reads the printer's names; the block is freed all the same.
  if (devNames != 0) {
    calls_.GlobalFree(devNames);
  }
  return ReadDevMode(bytes);
}

void ceCommonDialog::UpdatePrinter(PrinterObject* printer, std::int16_t copies,
                                   std::int16_t orientation, std::int16_t paperSize,
                                   std::int16_t printQuality) {
  if (printer == nullptr) {
    return;
  }
  const std::pair<const char*, std::int16_t> settings[] = {{"Copies", copies},
                                                           {"Orientation", orientation},
                                                           {"PaperSize", paperSize},
                                                           {"PrintQuality", printQuality}};
  for (const auto& [name, value] : settings) {
    try {
      printer->SetProperty(name, value);
    } catch (...) {
      // A printer that takes only some settings still gets those.
    }
  }
}

}  // namespace sprite::dialogs
