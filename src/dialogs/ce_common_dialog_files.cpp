// The open and save file dialogs, the filter list they show and the file title lookup.
#include "dialogs/ce_common_dialog.h"

#include <string>
#include <utility>

#include "common/error.h"

namespace sprite::dialogs {
namespace {

using winsys::OFN_ALLOWMULTISELECT;
using winsys::OFN_ENABLEHOOK;
using winsys::OFN_ENABLETEMPLATE;
using winsys::OFN_FILEMUSTEXIST;
using winsys::OFN_HIDEREADONLY;
using winsys::OFN_OVERWRITEPROMPT;
using winsys::OFN_READONLY;

// Buffer capacities in bytes, the terminating NUL included.
constexpr std::size_t kOpenFileCapacity = 1024;
constexpr std::size_t kSaveFileCapacity = 260;
constexpr std::size_t kFileTitleCapacity = 260;

// The filter is walked with a 16-bit signed position that also steps past the
// last byte, so the longest filter it can walk is 32766 bytes.
constexpr std::size_t kMaxFilterBytes = 32766;

constexpr std::int32_t kNoOwner = -1;
constexpr std::int32_t kOpenFilterIndexAfterCancel = -1;
constexpr std::int32_t kSaveFilterIndexAfterCancel = 0;

void CheckFits(const std::string& text, std::size_t capacity, const char* what) {
  if (text.size() > capacity) {
    throw InvalidArgumentError(std::string("the initial ") + what + " is " +
                               std::to_string(text.size()) + " bytes long; its buffer holds " +
                               std::to_string(capacity) + " bytes");
  }
}

// The text followed by NULs up to the capacity.
std::string Buffer(const std::string& text, std::size_t capacity) {
  std::string buffer = text;
  buffer.resize(capacity, '\0');
  return buffer;
}

}  // namespace

bool ceCommonDialog::VBGetOpenFileName(OpenFileArgs& args) {
  std::uint32_t ownFlags = 0;
  if (args.MultiSelect) {
    ownFlags |= OFN_ALLOWMULTISELECT;
  }
  if (args.ReadOnly) {
    ownFlags |= OFN_READONLY;
  }
  if (args.HideReadOnly) {
    ownFlags |= OFN_HIDEREADONLY;
  }
  if (args.FileMustExist) {
    ownFlags |= OFN_FILEMUSTEXIST;
  }
  const bool confirmed =
      RunFileDialog(args, ownFlags, kOpenFileCapacity, &winsys::CommonDialogCalls::GetOpenFileNameA,
                    kOpenFilterIndexAfterCancel);
  // Only ever set: a caller that asked for read-only keeps its answer when the box was cleared.
  if (confirmed && (static_cast<std::uint32_t>(args.flags) & OFN_READONLY) != 0) {
    args.ReadOnly = true;
  }
  return confirmed;
}

bool ceCommonDialog::VBGetSaveFileName(SaveFileArgs& args) {
  std::uint32_t ownFlags = OFN_HIDEREADONLY;
  if (args.OverWritePrompt) {
    ownFlags |= OFN_OVERWRITEPROMPT;
  }
  return RunFileDialog(args, ownFlags, kSaveFileCapacity,
                       &winsys::CommonDialogCalls::GetSaveFileNameA, kSaveFilterIndexAfterCancel);
}

std::string ceCommonDialog::VBGetFileTitle(const std::string& sFIle) {
  std::string buffer(kFileTitleCapacity, '\0');
  if (calls_.GetFileTitleA(sFIle, buffer, kFileTitleCapacity) != 0) {
    return {};
  }
  return buffer.substr(0, buffer.find('\0'));
}

template <typename Args>
bool ceCommonDialog::RunFileDialog(Args& args, std::uint32_t ownFlags, std::size_t fileCapacity,
                                   FileDialogCall show, std::int32_t filterIndexAfterCancel) {
  ResetOutcome();
  // Everything that can be refused is checked before the record is built, so a
  // refused call changes no argument.
  const std::string converted = ConvertFilter(args.Filter);
  CheckFits(args.Filename, fileCapacity, "file name");
  CheckFits(args.FileTitle, kFileTitleCapacity, "file title");

  winsys::OPENFILENAME record;
  record.lStructSize = winsys::kOpenFileNameSize;
  if (args.Owner != kNoOwner) {
    record.hwndOwner = args.Owner;
  }
  record.lpstrFilter = converted;
  record.nFilterIndex = static_cast<std::uint32_t>(args.FilterIndex);
  record.lpstrFile = Buffer(args.Filename, fileCapacity);
  record.nMaxFile = static_cast<std::uint32_t>(fileCapacity);
  record.lpstrFileTitle = Buffer(args.FileTitle, kFileTitleCapacity);
  record.nMaxFileTitle = static_cast<std::uint32_t>(kFileTitleCapacity);
  record.lpstrInitialDir = args.InitDir;
  record.lpstrTitle = args.DlgTitle;
  record.lpstrDefExt = args.DefaultExt;
  // The dialogs are shown without a hook procedure or a custom template.
  record.Flags =
      ownFlags | (static_cast<std::uint32_t>(args.flags) & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE));

  if (!FinishDialog((calls_.*show)(record))) {
    args.Filename.clear();
    args.FileTitle.clear();
    args.Filter.clear();
    args.flags = 0;
    args.FilterIndex = filterIndexAfterCancel;
    return false;
  }
  // The whole buffers go back: callers split a multiple selection at its NULs.
  args.Filename = std::move(record.lpstrFile);
  args.FileTitle = std::move(record.lpstrFileTitle);
  args.flags = static_cast<std::int32_t>(record.Flags);
  args.FilterIndex = static_cast<std::int32_t>(record.nFilterIndex);
  args.Filter = FilterByIndex(converted, args.FilterIndex);
  return true;
}

std::string ceCommonDialog::ConvertFilter(const std::string& filter) const {
  if (filter.size() > kMaxFilterBytes) {
    throw OverflowError("the file filter is " + std::to_string(filter.size()) +
                        " bytes long; at most " + std::to_string(kMaxFilterBytes) +
                        " bytes are allowed");
  }
  std::string converted;
  converted.reserve(filter.size() + 2);
  for (const char c : filter) {
    converted.push_back(c == '|' || c == ':' ? '\0' : c);
  }
  converted.append(2, '\0');
  return converted;
}

std::string ceCommonDialog::FilterByIndex(const std::string& converted, std::int32_t index) const {
  // The platform reports only pairs that exist; any other index finds nothing
  // instead of walking round the list again.
  if (index < 1) {
    return {};
  }
  std::size_t start = 0;
  for (std::int32_t n = index;; --n) {
    const std::size_t descriptionEnd = converted.find('\0', start);
    if (descriptionEnd == std::string::npos) {
      return {};
    }
    const std::size_t patternEnd = converted.find('\0', descriptionEnd + 1);
    if (n == 1) {
      return converted.substr(
          start, patternEnd == std::string::npos ? std::string::npos : patternEnd - start);
    }
    // A pair starting at the closing NUL, or beyond the text, is past the last pair.
    if (patternEnd == std::string::npos || patternEnd + 2 >= converted.size()) {
      return {};
    }
    start = patternEnd + 1;
  }
}

}  // namespace sprite::dialogs
