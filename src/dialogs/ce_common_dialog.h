#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "winsys/common_dialog_calls.h"
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

// The common dialogs behind plain argument lists. Each dialog operation resets
// the outcome, fills the platform's record, makes one blocking call and reads
// the record back; APIReturn and ExtendedError keep the raw outcome of the last
// call. Cancels and platform failures are not errors: the operation returns
// false. Text is 8-bit text (UTF-8): buffer capacities count bytes.
class ceCommonDialog {
 public:
  // Class_Initialize: the zero state.
  explicit ceCommonDialog(winsys::CommonDialogCalls& calls);

  // Throws OverflowError for a Filter of 32767 bytes or more and
  // InvalidArgumentError for a Filename longer than 1024 bytes or a FileTitle
  // longer than 260, before any dialog is shown.
  bool VBGetOpenFileName(OpenFileArgs& args);
  // As VBGetOpenFileName; the file buffer holds 260 bytes.
  bool VBGetSaveFileName(SaveFileArgs& args);
  // The platform's display title of a path, or empty text.
  std::string VBGetFileTitle(const std::string& sFIle);

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

  winsys::CommonDialogCalls& calls_;
  std::int32_t apiReturn_ = 0;
  std::uint32_t extendedError_ = 0;
  DialogEventSink* eventSink_ = nullptr;
};

}  // namespace sprite::dialogs
