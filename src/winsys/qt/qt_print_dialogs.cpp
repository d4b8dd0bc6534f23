// PrintDlgA on QPrintDialog and PageSetupDlgA on QPageSetupDialog, each with a
// QPrinter; the device mode they hand back and the device contexts they make.
#include <QtCore/QLocale>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtPrintSupport/QPageSetupDialog>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>
#include <QtWidgets/QComboBox>
#include <algorithm>
#include <cmath>
#include <limits>

#include "winsys/qt/qt_common_dialog_calls.h"
#include "winsys/qt/qt_text.h"

namespace sprite::winsys::qt {
namespace {

constexpr std::uint16_t kDevModeSpecVersion = 0x0401;
constexpr std::int16_t kFullScale = 100;  // per cent
constexpr double kTenthsPerMillimetre = 10.0;
constexpr char kFileDevice[] = "PDF";
constexpr char kDriver[] = "Qt";

std::int16_t Clamp16(double value) {
  return static_cast<std::int16_t>(std::clamp(
      std::nearbyint(value), static_cast<double>(std::numeric_limits<std::int16_t>::min()),
      static_cast<double>(std::numeric_limits<std::int16_t>::max())));
}

bool PrintsToFile(const QPrinter& printer) {
  return printer.outputFormat() == QPrinter::PdfFormat;
}

std::string DeviceName(const QPrinter& printer) {
  return PrintsToFile(printer) ? kFileDevice : ToUtf8(printer.printerName());
}

std::int16_t Duplex(QPrinter::DuplexMode mode) {
  switch (mode) {
    case QPrinter::DuplexNone:
      return DMDUP_SIMPLEX;
    case QPrinter::DuplexShortSide:
      return DMDUP_HORIZONTAL;
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto:
      break;
  }
  return DMDUP_VERTICAL;
}

// The printer's settings with the published codes: the paper's code (or
// DMPAPER_USER) and its portrait size in tenths of a millimetre.
DEVMODE DeviceMode(const QPrinter& printer) {
  const QPageLayout layout = printer.pageLayout();
  const QSizeF paper = layout.pageSize().size(QPageSize::Millimeter);
  DEVMODE mode;
  mode.dmDeviceName = DeviceName(printer);
  mode.dmSpecVersion = kDevModeSpecVersion;
  mode.dmSize = static_cast<std::uint16_t>(kDevModeSize);
  mode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                  DM_PRINTQUALITY | DM_COLOR | DM_DUPLEX | DM_YRESOLUTION | DM_COLLATE |
                  DM_FORMNAME;
  mode.dmOrientation =
      layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  mode.dmPaperSize = Clamp16(layout.pageSize().windowsId());
  mode.dmPaperLength = Clamp16(paper.height() * kTenthsPerMillimetre);
  mode.dmPaperWidth = Clamp16(paper.width() * kTenthsPerMillimetre);
  mode.dmScale = kFullScale;
  mode.dmCopies = Clamp16(printer.copyCount());
  mode.dmPrintQuality = Clamp16(printer.resolution());
  mode.dmColor = printer.colorMode() == QPrinter::Color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
  mode.dmDuplex = Duplex(printer.duplex());
  mode.dmYResolution = mode.dmPrintQuality;
  mode.dmCollate = printer.collateCopies() ? 1 : 0;
  mode.dmFormName = ToUtf8(layout.pageSize().name());
  return mode;
}

// Rectangles come in thousandths of an inch or hundredths of a millimetre.
struct Units {
  QPageLayout::Unit unit;
  double perUnit;
};

Units RecordUnits(std::uint32_t flags) {
  bool inches = QLocale().measurementSystem() != QLocale::MetricSystem;
  if ((flags & PSD_INTHOUSANDTHSOFINCHES) != 0) {
    inches = true;
  } else if ((flags & PSD_INHUNDREDTHSOFMILLIMETERS) != 0) {
    inches = false;
  }
  return inches ? Units{QPageLayout::Inch, 1000.0} : Units{QPageLayout::Millimeter, 100.0};
}

QMarginsF Margins(const RECT& rect, const Units& units) {
  return QMarginsF(rect.left / units.perUnit, rect.top / units.perUnit, rect.right / units.perUnit,
                   rect.bottom / units.perUnit);
}

std::int32_t Whole(double value, const Units& units) {
  return static_cast<std::int32_t>(std::nearbyint(value * units.perUnit));
}

RECT Rect(const QMarginsF& margins, const Units& units) {
  return {Whole(margins.left(), units), Whole(margins.top(), units), Whole(margins.right(), units),
          Whole(margins.bottom(), units)};
}

// Qt warns that its page-setup dialog cannot serve a PDF printer, and then
// serves it well: while the dialog is made that one warning is dropped.
class PdfWarningFilter {
 public:
  PdfWarningFilter() { previous_ = qInstallMessageHandler(&Filter); }
  ~PdfWarningFilter() { qInstallMessageHandler(previous_); }
  PdfWarningFilter(const PdfWarningFilter&) = delete;
  PdfWarningFilter& operator=(const PdfWarningFilter&) = delete;

 private:
  static void Filter(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("QPageSetupDialog:"))) {
      return;
    }
    if (previous_ != nullptr) {
      previous_(type, context, text);
    }
  }

  static inline QtMessageHandler previous_ = nullptr;
};

// Widgets of Qt's page-setup dialog, by the names its form gives them.
void Disable(QDialog& dialog, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(name))) {
      widget->setEnabled(false);
    }
  }
}

}  // namespace

std::int16_t QtCommonDialogCalls::PrintDlgA(PRINTDLG& record) {
  return static_cast<std::int16_t>(Guarded([&] { return RunPrintDialog(record); }));
}

std::int16_t QtCommonDialogCalls::PageSetupDlgA(PAGESETUPDLG& record) {
  // The page-setup dialog reports a failure as 0, like a cancel.
  return Guarded([&] { return RunPageSetupDialog(record); }) == kDialogConfirmed
             ? static_cast<std::int16_t>(kDialogConfirmed)
             : static_cast<std::int16_t>(kDialogCancelled);
}

HDC QtCommonDialogCalls::DefaultPrinterDC() {
  if (defaultDC_ == 0) {
    defaultDC_ = Keep(std::make_unique<QPrinter>(QPrinter::HighResolution));
  }
  return defaultDC_;
}

QPrinter* QtCommonDialogCalls::Printer(HDC dc) const {
  const auto found = printers_.find(dc);
  return found == printers_.end() ? nullptr : found->second.get();
}

bool QtCommonDialogCalls::DeleteDC(HDC dc) {
  if (dc == defaultDC_) {
    defaultDC_ = 0;
  }
  return printers_.erase(dc) == 1;
}

HDC QtCommonDialogCalls::Keep(std::unique_ptr<QPrinter> printer) {
  if (nextDC_ == std::numeric_limits<HDC>::max()) {
    return 0;
  }
  const HDC dc = nextDC_++;
  printers_.emplace(dc, std::move(printer));
  return dc;
}

void QtCommonDialogCalls::HandBack(const QPrinter& printer, HGLOBAL& devMode, HGLOBAL& devNames) {
  const auto mode = DevModeBytes(DeviceMode(printer));
  devMode = memory_.GlobalAlloc(mode);
  const std::string output =
      ToUtf8(PrintsToFile(printer) ? printer.outputFileName() : printer.printerName());
  devNames = memory_.GlobalAlloc(DevNamesBytes(
      {kDriver, DeviceName(printer), output,
       !PrintsToFile(printer) && printer.printerName() == QPrinterInfo::defaultPrinterName()}));
}

std::int32_t QtCommonDialogCalls::RunPrintDialog(PRINTDLG& record) {
  if (record.lStructSize != kPrintDlgSize) {
    return Fail(CDERR_STRUCTSIZE);
  }
  const std::optional<QWidget*> owner = OwnerWindow(record.hwndOwner);
  if (!owner) {
    return Fail(CDERR_DIALOGFAILURE);
  }
  const std::uint32_t flags = record.Flags;
  const bool fileAllowed = (flags & (PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE)) == 0;
  if (!fileAllowed && QPrinterInfo::availablePrinterNames().isEmpty()) {
    return Fail(PDERR_NODEFAULTPRN);
  }
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (fileAllowed && (flags & PD_PRINTTOFILE) != 0) {
    printer->setOutputFormat(QPrinter::PdfFormat);
  }
  if (record.nCopies > 0) {
    printer->setCopyCount(record.nCopies);
  }
  printer->setCollateCopies((flags & PD_COLLATE) != 0);
  const bool pagesValid = record.nMinPage <= record.nFromPage &&
                          record.nFromPage <= record.nToPage && record.nToPage <= record.nMaxPage;
  if (pagesValid) {
    printer->setFromTo(record.nFromPage, record.nToPage);
  }
  if ((flags & PD_PAGENUMS) != 0) {
    printer->setPrintRange(QPrinter::PageRange);
  } else if ((flags & PD_SELECTION) != 0) {
    printer->setPrintRange(QPrinter::Selection);
  }

  QPrintDialog dialog(printer.get(), *owner);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, fileAllowed);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, (flags & PD_NOSELECTION) == 0);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, (flags & PD_NOPAGENUMS) == 0);
  dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
  if (record.nMinPage <= record.nMaxPage) {
    dialog.setMinMax(record.nMinPage, record.nMaxPage);
  }
  if (!Run(dialog, *owner)) {
    return kDialogCancelled;
  }

  std::uint32_t result = flags & ~(PD_PAGENUMS | PD_SELECTION | PD_PRINTTOFILE | PD_COLLATE);
  if (printer->printRange() == QPrinter::PageRange) {
    result |= PD_PAGENUMS;
    record.nFromPage = static_cast<std::uint16_t>(printer->fromPage());
    record.nToPage = static_cast<std::uint16_t>(printer->toPage());
  } else if (printer->printRange() == QPrinter::Selection) {
    result |= PD_SELECTION;
  }
  if (PrintsToFile(*printer)) {
    result |= PD_PRINTTOFILE;
  }
  // The device mode always holds copies and collation; the record too unless
  // the caller asked for them in the device mode only.
  if ((flags & PD_USEDEVMODECOPIESANDCOLLATE) != 0) {
    record.nCopies = 1;
  } else {
    record.nCopies = static_cast<std::uint16_t>(std::clamp(printer->copyCount(), 1, 0xFFFF));
    if (printer->collateCopies()) {
      result |= PD_COLLATE;
    }
  }
  record.Flags = result;
  HandBack(*printer, record.hDevMode, record.hDevNames);
  record.hDC = (flags & PD_RETURNDC) != 0 ? Keep(std::move(printer)) : 0;
  return kDialogConfirmed;
}

std::int32_t QtCommonDialogCalls::RunPageSetupDialog(PAGESETUPDLG& record) {
  if (record.lStructSize != kPageSetupDlgSize) {
    return Fail(CDERR_STRUCTSIZE);
  }
  const std::optional<QWidget*> owner = OwnerWindow(record.hwndOwner);
  if (!owner) {
    return Fail(CDERR_DIALOGFAILURE);
  }
  const std::uint32_t flags = record.Flags;
  const Units units = RecordUnits(flags);
  QPrinter printer(QPrinter::HighResolution);
  QPageLayout layout = printer.pageLayout();
  layout.setUnits(units.unit);
  if ((flags & PSD_MINMARGINS) != 0) {
    layout.setMinimumMargins(Margins(record.rtMinMargin, units));
  }
  if ((flags & PSD_MARGINS) != 0) {
    // Margins below the smallest the printer allows start at the smallest.
    const QMarginsF least = layout.minimumMargins();
    const QMarginsF given = Margins(record.rtMargin, units);
    layout.setMargins(QMarginsF(
        std::max(given.left(), least.left()), std::max(given.top(), least.top()),
        std::max(given.right(), least.right()), std::max(given.bottom(), least.bottom())));
  }
  printer.setPageLayout(layout);

  std::optional<PdfWarningFilter> quiet;
  if (printer.outputFormat() == QPrinter::PdfFormat) {
    quiet.emplace();
  }
  QPageSetupDialog dialog(&printer, *owner);
  quiet.reset();
  // The dialog shows the record's units; it has no printer button to disable.
  if (auto* unitList = dialog.findChild<QComboBox*>(QStringLiteral("unitCombo"))) {
    unitList->setCurrentIndex(std::max(0, unitList->findData(QVariant::fromValue(units.unit))));
  }
  if ((flags & PSD_DISABLEMARGINS) != 0) {
    Disable(dialog, {"topMargin", "leftMargin", "rightMargin", "bottomMargin"});
  }
  if ((flags & PSD_DISABLEORIENTATION) != 0) {
    Disable(dialog, {"portrait", "landscape", "reverseLandscape", "reversePortrait"});
  }
  if ((flags & PSD_DISABLEPAPER) != 0) {
    Disable(dialog, {"pageSizeCombo", "pageWidth", "pageHeight", "paperSource"});
  }
  if (!Run(dialog, *owner)) {
    return kDialogCancelled;
  }

  QPageLayout chosen = printer.pageLayout();
  chosen.setUnits(units.unit);
  const QSizeF paper = chosen.fullRect().size();
  record.ptPaperSize = {Whole(paper.width(), units), Whole(paper.height(), units)};
  record.rtMargin = Rect(chosen.margins(), units);
  record.rtMinMargin = Rect(chosen.minimumMargins(), units);
  HandBack(printer, record.hDevMode, record.hDevNames);
  return kDialogConfirmed;
}

}  // namespace sprite::winsys::qt
