#include "winsys/qt/qt_common_dialog_calls.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtPrintSupport/QPrinter>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <limits>
#include <string_view>

#include "winsys/emulated/file_title.h"
#include "winsys/qt/open_file_texts.h"
#include "winsys/qt/qt_file_dialog.h"
#include "winsys/qt/qt_text.h"
#include "winsys/qt/qt_window_calls.h"

namespace sprite::winsys::qt {
namespace {

// The text at the start of a buffer, up to its first NUL, within `capacity` bytes.
std::string_view LeadingText(const std::string& buffer, std::size_t capacity) {
  const std::string_view held(buffer.data(), std::min(capacity, buffer.size()));
  return held.substr(0, held.find('\0'));
}

// Starts the dialog where the record asks: in the folder of the initial file
// when it names one (relative to the initial folder), else in the initial folder.
void PlaceDialog(QtFileDialog& dialog, const QString& initialDir, const QString& initialFile) {
  if (!initialDir.isEmpty()) {
    dialog.setDirectory(initialDir);
  }
  if (initialFile.isEmpty()) {
    return;
  }
  const QDir base(initialDir);
  if (QFileInfo(base.absoluteFilePath(initialFile)).isDir()) {
    dialog.setDirectory(base.absoluteFilePath(initialFile));
    return;
  }
  const qsizetype slash = initialFile.lastIndexOf(u'/');
  if (slash >= 0) {
    const QString folder = base.absoluteFilePath(initialFile.left(slash + 1));
    if (QFileInfo(folder).isDir()) {
      dialog.setDirectory(folder);
    }
  }
  dialog.selectFile(initialFile.mid(slash + 1));
}

}  // namespace

QtCommonDialogCalls::QtCommonDialogCalls(QtWindowCalls& windows) : windows_(windows) {}

QtCommonDialogCalls::~QtCommonDialogCalls() = default;

std::int32_t QtCommonDialogCalls::GetOpenFileNameA(OPENFILENAME& record) {
  return Guarded([&] { return RunFileDialog(record, false); });
}

std::int32_t QtCommonDialogCalls::GetSaveFileNameA(OPENFILENAME& record) {
  return Guarded([&] { return RunFileDialog(record, true); });
}

std::int16_t QtCommonDialogCalls::GetFileTitleA(const std::string& file, std::string& buffer,
                                                std::uint16_t capacity) {
  return GetFileTitleOf(file, buffer, capacity);
}

COLORREF QtCommonDialogCalls::GetSysColor(std::int32_t index) {
  std::uint32_t rgb = 0;
  if (index < 0 || static_cast<std::uint32_t>(index) > COLOR_MENUBAR) {
    return 0;
  }
  windows_.OleTranslateColor(kSystemColourFlag | static_cast<std::uint32_t>(index), 0, &rgb);
  return rgb;
}

std::int32_t QtCommonDialogCalls::Guarded(const std::function<std::int32_t()>& show) {
  lastError_ = 0;
  try {
    return show();
  } catch (...) {
    return Fail(CDERR_DIALOGFAILURE);
  }
}

std::optional<QWidget*> QtCommonDialogCalls::OwnerWindow(HWND handle) const {
  if (handle == 0) {
    return nullptr;
  }
  QWidget* owner = windows_.Widget(handle);
  if (owner == nullptr) {
    return std::nullopt;
  }
  return owner->window();
}

bool QtCommonDialogCalls::Run(QDialog& dialog, QWidget* owner) {
  dialog.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
  return dialog.exec() == QDialog::Accepted;
}

std::int32_t QtCommonDialogCalls::RunFileDialog(OPENFILENAME& record, bool save) {
  if (record.lStructSize != kOpenFileNameSize) {
    return Fail(CDERR_STRUCTSIZE);
  }
  const std::optional<QWidget*> owner = OwnerWindow(record.hwndOwner);
  if (!owner) {
    return Fail(CDERR_DIALOGFAILURE);
  }
  const std::uint32_t flags = record.Flags;
  const std::size_t capacity = std::min<std::size_t>(record.nMaxFile, record.lpstrFile.size());
  const bool multiSelect = !save && (flags & OFN_ALLOWMULTISELECT) != 0;

  QtFileDialog dialog(*owner, {capacity, multiSelect, save && (flags & OFN_OVERWRITEPROMPT) != 0});
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (multiSelect) {
    dialog.setFileMode(QFileDialog::ExistingFiles);
  } else if (!save && (flags & OFN_FILEMUSTEXIST) != 0) {
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog.setFileMode(QFileDialog::AnyFile);
  }
  if (!record.lpstrTitle.empty()) {
    dialog.setWindowTitle(FromUtf8(record.lpstrTitle));
  }
  const std::vector<FileFilter> filters = ParseFilterList(record.lpstrFilter);
  const bool indexInRange = record.nFilterIndex >= 1 && record.nFilterIndex <= filters.size();
  dialog.SetFilters(filters, indexInRange ? static_cast<int>(record.nFilterIndex) - 1 : 0);
  PlaceDialog(dialog, FromUtf8(record.lpstrInitialDir),
              FromUtf8(LeadingText(record.lpstrFile, capacity)));
  std::string_view extension = record.lpstrDefExt;
  if (!extension.empty() && extension.front() == '.') {
    extension.remove_prefix(1);
  }
  dialog.setDefaultSuffix(FromUtf8(extension));
  dialog.AddReadOnlyBox((flags & OFN_READONLY) != 0, (flags & OFN_HIDEREADONLY) == 0);

  const bool accepted = Run(dialog, *owner);
  if (dialog.Failed()) {
    return Fail(CDERR_DIALOGFAILURE);
  }
  if (!accepted) {
    return kDialogCancelled;
  }
  const std::vector<std::string>& chosen = dialog.Chosen();
  const std::optional<SelectionText> selection = ComposeSelection(chosen);
  if (!selection) {
    return Fail(FNERR_INVALIDFILENAME);
  }
  if (selection->text.size() > capacity) {
    return Fail(FNERR_BUFFERTOOSMALL);
  }
  std::copy(selection->text.begin(), selection->text.end(), record.lpstrFile.begin());
  record.nFileOffset = selection->fileOffset;
  record.nFileExtension = selection->extensionOffset;
  if (chosen.size() == 1) {
    // Written only when the name and its NUL fit.
    GetFileTitleOf(chosen.front(), record.lpstrFileTitle,
                   static_cast<std::uint16_t>(std::min<std::uint32_t>(
                       record.nMaxFileTitle, std::numeric_limits<std::uint16_t>::max())));
  }
  record.Flags = dialog.ReadOnlyChecked() ? flags | OFN_READONLY : flags & ~OFN_READONLY;
  if (!filters.empty()) {
    record.nFilterIndex = static_cast<std::uint32_t>(dialog.FilterIndex() + 1);
  }
  return kDialogConfirmed;
}

std::int32_t QtCommonDialogCalls::Fail(std::uint32_t code) {
  lastError_ = code;
  return kDialogFailed;
}

}  // namespace sprite::winsys::qt
