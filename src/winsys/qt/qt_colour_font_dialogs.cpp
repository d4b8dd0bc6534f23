// ChooseColorA on QColorDialog and ChooseFontA on QFontDialog.
#include <QtGui/QFontDatabase>
#include <QtGui/QFontInfo>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QColorDialog>
#include <QtWidgets/QFontDialog>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QPushButton>
#include <algorithm>
#include <cmath>
#include <string_view>

#include "common/utf8.h"
#include "winsys/qt/qt_colours.h"
#include "winsys/qt/qt_common_dialog_calls.h"
#include "winsys/qt/qt_text.h"
#include "winsys/qt/qt_window_system.h"

namespace sprite::winsys::qt {
namespace {

constexpr std::uint8_t kByteTrue = 0xFF;
constexpr double kPointsPerInch = 72.0;
constexpr double kTwipsPerInch = 1440.0;
constexpr double kTenthsPerPoint = 10.0;
constexpr int kMaxWeight = 1000;

// Qt's colour dialog keeps its part for defining colours in widgets of these
// classes, beside the two buttons outside its button box (pick a colour from
// the screen, add to the custom colours).
void HideColourDefinition(QColorDialog& dialog) {
  for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const std::string_view kind = child->metaObject()->className();
    const bool picker = kind.ends_with("QColorPicker") || kind.ends_with("QColorLuminancePicker") ||
                        kind.ends_with("QColorShower");
    if (picker || qobject_cast<QPushButton*>(child) != nullptr) {
      child->hide();
    }
  }
}

// Vertical dots per inch of the screen the font heights are measured on.
double ScreenDpiY() {
  return kTwipsPerInch / QtWindowSystem::TwipsPerPixelY();
}

// The face name the platform reads: at most the first 32 bytes, up to the
// first NUL, and no character cut short at the end.
QString FaceName(const LOGFONT& font) {
  const std::string_view field(reinterpret_cast<const char*>(font.lfFaceName.data()),
                               kFaceNameUsed);
  const std::string_view name = field.substr(0, field.find('\0'));
  return FromUtf8(name.substr(0, Utf8PrefixLength(name, name.size())));
}

// The point size of a logical font. Its height in pixels is whole, so the
// record's tenths of a point decide whenever they give that height.
double PointSize(const LOGFONT& font, std::int32_t tenths, double dpi) {
  const double pixels = std::abs(static_cast<double>(font.lfHeight));
  if (tenths > 0 && std::nearbyint(tenths / kTenthsPerPoint * dpi / kPointsPerInch) == pixels) {
    return tenths / kTenthsPerPoint;
  }
  return pixels * kPointsPerInch / dpi;
}

QFont StartFont(const CHOOSEFONT& record, double dpi) {
  QFont font = QApplication::font();
  if ((record.Flags & CF_INITTOLOGFONTSTRUCT) == 0) {
    return font;
  }
  const LOGFONT& logFont = *record.lpLogFont;
  if (const QString name = FaceName(logFont); !name.isEmpty()) {
    font.setFamilies({name});
  }
  if (logFont.lfHeight != 0) {
    font.setPointSizeF(PointSize(logFont, record.iPointSize, dpi));
  }
  if (logFont.lfWeight > 0) {
    font.setWeight(static_cast<QFont::Weight>(std::min(logFont.lfWeight, kMaxWeight)));
  }
  font.setItalic(logFont.lfItalic != 0);
  font.setUnderline(logFont.lfUnderline != 0);
  font.setStrikeOut(logFont.lfStrikeOut != 0);
  return font;
}

// Writes the chosen font into the record and its logical font; every other
// field of the logical font stays as it was.
void WriteChoice(const QFont& chosen, double dpi, CHOOSEFONT& record) {
  const double points =
      chosen.pointSizeF() > 0 ? chosen.pointSizeF() : QFontInfo(chosen).pointSizeF();
  LOGFONT& logFont = *record.lpLogFont;
  logFont.lfHeight = -static_cast<std::int32_t>(std::nearbyint(points * dpi / kPointsPerInch));
  logFont.lfWeight = chosen.weight();
  logFont.lfItalic = chosen.italic() ? kByteTrue : 0;
  logFont.lfUnderline = chosen.underline() ? kByteTrue : 0;
  logFont.lfStrikeOut = chosen.strikeOut() ? kByteTrue : 0;
  const std::string family = ToUtf8(chosen.family());
  logFont.lfFaceName.fill(0);
  std::copy_n(family.begin(), Utf8PrefixLength(family, kFaceNameUsed), logFont.lfFaceName.begin());

  record.iPointSize = static_cast<std::int32_t>(std::nearbyint(points * kTenthsPerPoint));
  const bool bold = chosen.weight() >= QFont::DemiBold;
  record.nFontType =
      static_cast<std::uint16_t>((bold ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                                 (chosen.italic() ? ITALIC_FONTTYPE : 0) | SCREEN_FONTTYPE);
}

// Qt's font dialog has one group of check boxes: strikeout and underline.
void HideEffects(QFontDialog& dialog) {
  for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
    if (group->findChild<QCheckBox*>() != nullptr) {
      group->hide();
    }
  }
}

}  // namespace

std::int32_t QtCommonDialogCalls::ChooseColorA(CHOOSECOLOR& record) {
  return Guarded([&] { return RunColourDialog(record); });
}

std::int32_t QtCommonDialogCalls::ChooseFontA(CHOOSEFONT& record) {
  return Guarded([&] { return RunFontDialog(record); });
}

std::int32_t QtCommonDialogCalls::RunColourDialog(CHOOSECOLOR& record) {
  if (record.lStructSize != kChooseColorSize) {
    return Fail(CDERR_STRUCTSIZE);
  }
  const std::optional<QWidget*> owner = OwnerWindow(record.hwndOwner);
  if (!owner) {
    return Fail(CDERR_DIALOGFAILURE);
  }
  QColorDialog dialog(*owner);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (record.lpCustColors != nullptr) {
    for (std::size_t i = 0; i < kCustomColourCount; ++i) {
      QColorDialog::setCustomColor(static_cast<int>(i), FromColourRef((*record.lpCustColors)[i]));
    }
  }
  dialog.setCurrentColor((record.Flags & CC_RGBINIT) != 0 ? FromColourRef(record.rgbResult)
                                                          : QColor(Qt::black));
  if ((record.Flags & CC_PREVENTFULLOPEN) != 0 && (record.Flags & CC_FULLOPEN) == 0) {
    HideColourDefinition(dialog);
  }

  const bool accepted = Run(dialog, *owner);
  // Colours the user added stay in the table whether or not the choice is confirmed.
  if (record.lpCustColors != nullptr) {
    for (std::size_t i = 0; i < kCustomColourCount; ++i) {
      (*record.lpCustColors)[i] = ToColourRef(QColorDialog::customColor(static_cast<int>(i)));
    }
  }
  if (!accepted) {
    return kDialogCancelled;
  }
  record.rgbResult = ToColourRef(dialog.selectedColor());
  return kDialogConfirmed;
}

std::int32_t QtCommonDialogCalls::RunFontDialog(CHOOSEFONT& record) {
  if (record.lStructSize != kChooseFontSize) {
    return Fail(CDERR_STRUCTSIZE);
  }
  if (record.lpLogFont == nullptr) {
    return Fail(CDERR_INITIALIZATION);
  }
  if (QFontDatabase::families().isEmpty()) {
    return Fail(CFERR_NOFONTS);
  }
  const std::optional<QWidget*> owner = OwnerWindow(record.hwndOwner);
  if (!owner) {
    return Fail(CDERR_DIALOGFAILURE);
  }
  const double dpi = ScreenDpiY();
  QFontDialog dialog(*owner);
  dialog.setOption(QFontDialog::DontUseNativeDialog);
  dialog.setOption(QFontDialog::MonospacedFonts, (record.Flags & CF_FIXEDPITCHONLY) != 0);
  dialog.setOption(QFontDialog::ScalableFonts, (record.Flags & CF_SCALABLEONLY) != 0);
  dialog.setCurrentFont(StartFont(record, dpi));
  if ((record.Flags & CF_EFFECTS) == 0) {
    HideEffects(dialog);
  }

  if (!Run(dialog, *owner)) {
    return kDialogCancelled;
  }
  WriteChoice(dialog.selectedFont(), dpi, record);
  return kDialogConfirmed;
}

}  // namespace sprite::winsys::qt
