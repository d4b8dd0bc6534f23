#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "winsys/common_dialog_calls.h"
#include "winsys/dialog_host.h"
#include "winsys/types.h"

namespace sprite::dialogs {

// Where a dialog's notifications would go. No operation ever keeps one: the
// dialogs are shown without a hook procedure.
class DialogEventSink {
 public:
  virtual ~DialogEventSink() = default;
  virtual std::optional<winsys::LRESULT> OnDialogMessage(std::int32_t hDlg, std::int32_t msg,
                                                         std::int32_t wParam,
                                                         std::int32_t lParam) = 0;
};

// The filter both file dialogs show when the caller names none.
inline constexpr char kAllFilesFilter[] = "All (*.*)| *.*";

// The arguments of VBGetOpenFileName with their defaults. Fields marked "in, out"
// hold the dialog's results when it returns.
struct OpenFileArgs {
  std::string Filename{};                // in, out: the whole file buffer, or empty
  std::string FileTitle{};               // in, out: the whole title buffer, or empty
  bool FileMustExist = true;             // adds OFN_FILEMUSTEXIST
  bool MultiSelect = false;              // adds OFN_ALLOWMULTISELECT
  bool ReadOnly = false;                 // in, out: adds OFN_READONLY; set when the result has it
  bool HideReadOnly = false;             // adds OFN_HIDEREADONLY
  std::string Filter = kAllFilesFilter;  // in, out: description|pattern|...; the chosen pair
  std::int32_t FilterIndex = 1;          // in, out: 1 = the first pair; -1 after a cancel
  std::string InitDir{};
  std::string DlgTitle{};
  std::string DefaultExt{};              // passed unchanged, leading full stop included
  std::int32_t Owner = -1;               // owner window handle; -1 for none
  std::int32_t flags = 0;                // in, out: further flag bits; the final flag word or 0
  bool Hook = false;                     // accepted and not used
  DialogEventSink* EventSink = nullptr;  // accepted and not used
};

// The arguments of VBGetSaveFileName with their defaults.
struct SaveFileArgs {
  std::string Filename{};                // in, out
  std::string FileTitle{};               // in, out
  bool OverWritePrompt = true;           // adds OFN_OVERWRITEPROMPT
  std::string Filter = kAllFilesFilter;  // in, out
  std::int32_t FilterIndex = 1;          // in, out: 0 after a cancel
  std::string InitDir{};
  std::string DlgTitle{};
  std::string DefaultExt{};
  std::int32_t Owner = -1;
  std::int32_t flags = 0;  // in, out
  bool Hook = false;
  DialogEventSink* EventSink = nullptr;
};

// A font the font dialog starts from and writes the choice back into. Any
// property may throw; the error then ends the dialog operation.
class FontObject {
 public:
  virtual ~FontObject() = default;
  virtual std::string Name() const = 0;  // 8-bit text
  virtual void SetName(const std::string& name) = 0;
  virtual double Size() const = 0;  // points, kept to four decimal places
  virtual void SetSize(double points) = 0;
  virtual bool Bold() const = 0;
  virtual void SetBold(bool bold) = 0;
  virtual bool Italic() const = 0;
  virtual void SetItalic(bool italic) = 0;
  virtual bool Underline() const = 0;
  virtual void SetUnderline(bool underline) = 0;
  virtual bool Strikethrough() const = 0;
  virtual void SetStrikethrough(bool strikethrough) = 0;
  virtual std::int16_t Weight() const = 0;
  virtual void SetWeight(std::int16_t weight) = 0;
};

// A printer that takes the settings of a print or page-setup dialog: the
// properties "Copies", "Orientation", "PaperSize" and "PrintQuality", set by
// name. A property it does not take may throw.
class PrinterObject {
 public:
  virtual ~PrinterObject() = default;
  virtual void SetProperty(const std::string& name, std::int16_t value) = 0;
};

// The arguments of VBChooseColor with their defaults.
struct ChooseColorArgs {
  std::int32_t Color = 0;        // in, out: the initial colour; the chosen one, or -1
  bool AnyColor = true;          // CC_ANYCOLOR; false: CC_SOLIDCOLOR
  bool FullOpen = false;         // adds CC_FULLOPEN
  bool DisableFullOpen = false;  // adds CC_PREVENTFULLOPEN
  std::int32_t Owner = -1;       // -1 for none
  std::int32_t flags = 0;        // accepted and not used: the word holds only the bits above
  bool Hook = false;
  DialogEventSink* EventSink = nullptr;
};

// The arguments of VBChooseFont with their defaults.
struct ChooseFontArgs {
  FontObject* CurFont = nullptr;  // in, out: required; updated when the user confirms
  // in, out: the printer whose fonts to list; -1 chooses by flags, and becomes 0
  // or, with CF_PRINTERFONTS, the host printer's device context.
  std::int32_t PrinterDC = -1;
  std::int32_t Owner = -1;
  std::int32_t Color = 0;    // in, out: non-zero also adds CF_EFFECTS
  std::int32_t MinSize = 0;  // points; either size non-zero adds CF_LIMITSIZE
  std::int32_t MaxSize = 0;
  std::int32_t flags = 0;  // in, out: adjusted before the dialog; the final flag word
  bool Hook = false;
  DialogEventSink* EventSink = nullptr;
};

// The arguments of VBPrintDlg with their defaults.
struct PrintArgs {
  std::int32_t hdc = 0;         // out: the chosen printer's device context
  std::int32_t PrintRange = 0;  // in, out: 0 all pages, 1 page numbers, 2 selection
  bool DisablePageNumbers = false;
  std::int32_t FromPage = 1;  // in, out: must fit 16 bits
  std::int32_t ToPage = -1;   // in, out: must fit 16 bits; -1 stands for 65535
  bool DisableSelection = false;
  std::int16_t Copies = 0;  // out
  bool ShowPrintToFile = false;
  bool DisablePrintToFile = true;
  bool PrintToFile = false;  // in, out
  bool Collate = false;      // in, out
  bool PreventWarning = false;
  std::int32_t Owner = 0;  // sent as given
  PrinterObject* Printer = nullptr;
  std::int32_t flags = 0;  // further flag bits
  bool Hook = false;
  DialogEventSink* EventSink = nullptr;
};

// The arguments of VBPageSetupDlg2 (Margin = float, inches or millimetres) and
// VBPageSetupDlg (Margin = std::int32_t) with their defaults.
template <typename Margin>
struct PageSetupArgsOf {
  std::int32_t Owner = 0;
  bool DisableMargins = false;
  bool DisableOrientation = false;
  bool DisablePaper = false;
  bool DisablePrinter = false;
  Margin LeftMargin = 0;  // in, out, like every margin
  Margin MinLeftMargin = 0;
  Margin RightMargin = 0;
  Margin MinRightMargin = 0;
  Margin TopMargin = 0;
  Margin MinTopMargin = 0;
  Margin BottomMargin = 0;
  Margin MinBottomMargin = 0;
  std::int32_t PaperSize = 1;      // out: the device mode's paper code
  std::int32_t Orientation = 1;    // out
  std::int32_t PrintQuality = -1;  // out
  std::int32_t Units = 0;          // 0 inches, any other value millimetres
  PrinterObject* Printer = nullptr;
  std::int32_t flags = 0;  // accepted and not used
  bool Hook = false;
  DialogEventSink* EventSink = nullptr;

  friend bool operator==(const PageSetupArgsOf&, const PageSetupArgsOf&) = default;
};
using PageSetup2Args = PageSetupArgsOf<float>;
using PageSetupArgs = PageSetupArgsOf<std::int32_t>;

// The common dialogs behind plain argument lists. Each dialog operation resets
// the outcome (the colour dialog does not), fills the platform's record, makes
// one blocking call and reads the record back; APIReturn and ExtendedError keep
// the raw outcome of the last call (the page-setup dialogs keep none). Cancels
// and platform failures are not errors: the operation returns false. Text is
// 8-bit text (UTF-8): buffer capacities count bytes.
class ceCommonDialog {
 public:
  // Class_Initialize: the zero state. The font dialog measures on the host's
  // screen and may ask for its printer; without them it fails with
  // InvalidArgumentError where it needs them.
  explicit ceCommonDialog(winsys::CommonDialogCalls& calls,
                          const winsys::HostScreen* screen = nullptr,
                          winsys::HostPrinter* printer = nullptr);

  // Throws OverflowError for a Filter of 32767 bytes or more and
  // InvalidArgumentError for a Filename longer than 1024 bytes or a FileTitle
  // longer than 260, before any dialog is shown.
  bool VBGetOpenFileName(OpenFileArgs& args);
  // As VBGetOpenFileName; the file buffer holds 260 bytes.
  bool VBGetSaveFileName(SaveFileArgs& args);
  // The platform's display title of a path, or empty text.
  std::string VBGetFileTitle(const std::string& sFIle);

  // Keeps an earlier dialog's ExtendedError when the user confirms or cancels.
  bool VBChooseColor(ChooseColorArgs& args);
  // An entry of the custom colour table (0 to 15), which is filled with the
  // system colours 0 to 15 on first use; -1 for any other index.
  std::int32_t CustomColor(std::int16_t i);
  // Sets an entry; an index outside 0 to 15 is ignored.
  void CustomColor(std::int16_t i, std::int32_t iValue);
  // Throws InvalidArgumentError without a CurFont and OverflowError for a size
  // whose height or tenths leave the 32-bit range, before the dialog.
  bool VBChooseFont(ChooseFontArgs& args);

  // Throws OverflowError for a FromPage or ToPage outside -32768 to 32767,
  // before the dialog.
  bool VBPrintDlg(PrintArgs& args);
  // APIReturn and ExtendedError read 0 afterwards. Throws OverflowError for a
  // margin whose thousandths of an inch or hundredths of a millimetre leave the
  // 32-bit range, before the dialog. A cancel changes no argument.
  bool VBPageSetupDlg2(PageSetup2Args& args);
  // As VBPageSetupDlg2 with whole-number margins, rounded halves to even.
  bool VBPageSetupDlg(PageSetupArgs& args);

  std::int32_t APIReturn() const { return apiReturn_; }
  std::uint32_t ExtendedError() const { return extendedError_; }
  // Acts only through the event sink, which is always empty: returns no value.
  std::optional<winsys::LRESULT> DialogHook(std::int32_t hDlg, std::int32_t msg,
                                            std::int32_t wParam, std::int32_t lParam);

 private:
  // The outcome protocol: ResetOutcome before the request is built, then
  // FinishDialog with the platform's return value. FinishDialog keeps that value,
  // empties the event sink and, after a failure (neither 0 nor 1), keeps the
  // extended error; it returns true for a confirmed dialog.
  void ResetOutcome();
  bool FinishDialog(std::int32_t platformResult);

  // The steps the open and save dialogs share. `Args` is OpenFileArgs or
  // SaveFileArgs; `ownFlags` are the bits the operation's own arguments add.
  // Defined beside its two callers in ce_common_dialog_files.cpp.
  using FileDialogCall = std::int32_t (winsys::CommonDialogCalls::*)(winsys::OPENFILENAME&);
  template <typename Args>
  bool RunFileDialog(Args& args, std::uint32_t ownFlags, std::size_t fileCapacity,
                     FileDialogCall show, std::int32_t filterIndexAfterCancel);

  // "|" and ":" become NUL and two NULs close the list. Throws OverflowError
  // for 32767 bytes or more.
  std::string ConvertFilter(const std::string& filter) const;
  // The index-th pair (from 1) of a converted filter as description, NUL,
  // pattern; empty text for an index below 1 or past the last pair.
  std::string FilterByIndex(const std::string& converted, std::int32_t index) const;

  void InitCustomColors();
  // The face-name field: the text's first 33 bytes, never cut inside a
  // character, NUL-padded.
  void StringToBytes(std::array<std::uint8_t, winsys::kFaceNameBytes>& field,
                     const std::string& text) const;
  // All 33 bytes of the field as text, NULs included.
  std::string BytesToString(const std::array<std::uint8_t, winsys::kFaceNameBytes>& field) const;

  // The device-mode record of a confirmed print or page-setup dialog: the first
  // 122 bytes of its block, locked only while they are copied, the rest 0; a
  // record of zeros when the dialog handed back no block. Frees both blocks.
  winsys::DEVMODE TakeDeviceMode(winsys::HGLOBAL devMode, winsys::HGLOBAL devNames);
  // Sets the printer's four properties; a property it refuses is skipped.
  void UpdatePrinter(PrinterObject* printer, std::int16_t copies, std::int16_t orientation,
                     std::int16_t paperSize, std::int16_t printQuality);

  winsys::CommonDialogCalls& calls_;
  const winsys::HostScreen* screen_;
  winsys::HostPrinter* printer_;
  winsys::CustomColours customColors_{};
  bool customColorsFilled_ = false;
  // The device mode of the last confirmed print dialog.
  winsys::DEVMODE devMode_;
  std::int32_t apiReturn_ = 0;
  std::uint32_t extendedError_ = 0;
  DialogEventSink* eventSink_ = nullptr;
};

}  // namespace sprite::dialogs
