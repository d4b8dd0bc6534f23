// The colour dialog with its custom colour table, and the font dialog.
#include <algorithm>

#include "common/error.h"
#include "common/utf8.h"
#include "dialogs/ce_common_dialog.h"
#include "dialogs/checked_numbers.h"

namespace sprite::dialogs {
namespace {

using namespace winsys;

constexpr std::int32_t kNoOwner = -1;
constexpr std::int32_t kNoColour = -1;
constexpr std::int32_t kChooseByFlags = -1;
constexpr std::uint8_t kByteTrue = 0xFF;

// Point sizes are in twips (20 to a point) on the screen and in tenths in the record.
constexpr double kTwipsPerPoint = 20.0;
constexpr double kTenthsPerPoint = 10.0;

bool IsTableIndex(std::int16_t i) {
  return i >= 0 && static_cast<std::size_t>(i) < kCustomColourCount;
}

std::uint8_t ByteBool(bool value) {
  return value ? kByteTrue : 0;
}

}  // namespace

void ceCommonDialog::InitCustomColors() {
  for (std::size_t i = 0; i < kCustomColourCount; ++i) {
    customColors_[i] = calls_.GetSysColor(static_cast<std::int32_t>(i));
  }
  customColorsFilled_ = true;
}

std::int32_t ceCommonDialog::CustomColor(std::int16_t i) {
  if (!customColorsFilled_) {
    InitCustomColors();
  }
  if (!IsTableIndex(i)) {
    return kNoColour;
  }
  return static_cast<std::int32_t>(customColors_[static_cast<std::size_t>(i)]);
}

void ceCommonDialog::CustomColor(std::int16_t i, std::int32_t iValue) {
  if (!customColorsFilled_) {
    InitCustomColors();
  }
  if (IsTableIndex(i)) {
    customColors_[static_cast<std::size_t>(i)] = static_cast<COLORREF>(iValue);
  }
}

bool ceCommonDialog::VBChooseColor(ChooseColorArgs& args) {
  // The outcome is not reset: an earlier failure's extended error stays readable.
  // The word holds only these bits, never the hook and template bits.
  std::uint32_t flags = (args.AnyColor ? CC_ANYCOLOR : CC_SOLIDCOLOR) | CC_RGBINIT;
  if (args.FullOpen) {
    flags |= CC_FULLOPEN;
  }
  if (args.DisableFullOpen) {
    flags |= CC_PREVENTFULLOPEN;
  }
  if (!customColorsFilled_) {
    InitCustomColors();
  }

  CHOOSECOLOR record;
  record.lStructSize = kChooseColorSize;
  if (args.Owner != kNoOwner) {
    record.hwndOwner = args.Owner;
  }
  record.rgbResult = static_cast<COLORREF>(args.Color);
  // The dialog shows the object's table and may change it.
  record.lpCustColors = &customColors_;
  record.Flags = flags;

  if (!FinishDialog(calls_.ChooseColorA(record))) {
    args.Color = kNoColour;
    return false;
  }
  args.Color = static_cast<std::int32_t>(record.rgbResult);
  return true;
}

bool ceCommonDialog::VBChooseFont(ChooseFontArgs& args) {
  if (args.CurFont == nullptr) {
    throw InvalidArgumentError("the font dialog needs a font to start from");
  }
  FontObject& font = *args.CurFont;
  ResetOutcome();

  // The caller's PrinterDC and flags change in place, whatever the outcome.
  std::uint32_t flags = static_cast<std::uint32_t>(args.flags);
  if (args.PrinterDC == kChooseByFlags) {
    args.PrinterDC = 0;
    if ((flags & CF_PRINTERFONTS) != 0) {
      if (printer_ == nullptr) {
        throw InvalidArgumentError(
            "the font dialog was asked for printer fonts and has no printer");
      }
      args.PrinterDC = printer_->hDC();
    }
  } else {
    flags |= CF_PRINTERFONTS;
  }
  if ((flags & CF_PRINTERFONTS) == 0) {
    flags |= CF_SCREENFONTS;
  }
  if (args.Color != 0) {
    flags |= CF_EFFECTS;
  }
  if (args.MinSize != 0 || args.MaxSize != 0) {
    flags |= CF_LIMITSIZE;
  }
  // No hook, so no template and no Apply button, whose clicks only a hook sees.
  flags &= ~(CF_ENABLEHOOK | CF_ENABLETEMPLATE | CF_APPLY);
  flags |= CF_INITTOLOGFONTSTRUCT;
  args.flags = static_cast<std::int32_t>(flags);

  LOGFONT logFont;
  const double size = font.Size();
  if (screen_ == nullptr) {
    throw InvalidArgumentError("the font dialog has no screen to measure the font height on");
  }
  // A negative height asks for the character height in pixels.
  logFont.lfHeight =
      RoundToInt32(-(size * kTwipsPerPoint / screen_->TwipsPerPixelY()), "the font height");
  logFont.lfWeight = font.Weight();
  logFont.lfItalic = ByteBool(font.Italic());
  logFont.lfUnderline = ByteBool(font.Underline());
  logFont.lfStrikeOut = ByteBool(font.Strikethrough());
  StringToBytes(logFont.lfFaceName, font.Name());

  CHOOSEFONT record;
  record.lStructSize = kChooseFontSize;
  if (args.Owner != kNoOwner) {
    record.hwndOwner = args.Owner;
  }
  record.hDC = args.PrinterDC;
  record.lpLogFont = &logFont;
  record.iPointSize = RoundToInt32(font.Size() * kTenthsPerPoint, "the font size in tenths");
  record.Flags = flags;
  record.rgbColors = static_cast<COLORREF>(args.Color);
  record.nSizeMin = args.MinSize;
  record.nSizeMax = args.MaxSize;

  if (!FinishDialog(calls_.ChooseFontA(record))) {
    return false;
  }
  args.flags = static_cast<std::int32_t>(record.Flags);
  args.Color = static_cast<std::int32_t>(record.rgbColors);
  // The height the dialog leaves is not read: the point size says the same.
  font.SetBold((record.nFontType & BOLD_FONTTYPE) != 0);
  font.SetItalic(logFont.lfItalic != 0);
  font.SetStrikethrough(logFont.lfStrikeOut != 0);
  font.SetUnderline(logFont.lfUnderline != 0);
  font.SetWeight(ToInt16(logFont.lfWeight, "the font weight"));
  font.SetSize(record.iPointSize / kTenthsPerPoint);
  font.SetName(BytesToString(logFont.lfFaceName));
  return true;
}

void ceCommonDialog::StringToBytes(std::array<std::uint8_t, kFaceNameBytes>& field,
                                   const std::string& text) const {
  field.fill(0);
  std::copy_n(text.begin(), Utf8PrefixLength(text, field.size()), field.begin());
}

std::string ceCommonDialog::BytesToString(
    const std::array<std::uint8_t, kFaceNameBytes>& field) const {
  return std::string(field.begin(), field.end());
}

}  // namespace sprite::dialogs
