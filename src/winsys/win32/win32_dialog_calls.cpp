// The file dialogs, the file title and the memory blocks, translated for the system.
#include "winsys/win32/win32_dialog_calls.h"

#include <algorithm>

#include "winsys/win32/win32_windows.h"

namespace sprite::winsys::win32 {
namespace {

// The flags that ask for a hook procedure or a template, which are never passed on.
constexpr DWORD kFileHookFlags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | 0x80;  // and ...HANDLE

// The text of a record field for the system: none for an empty one.
const wchar_t* TextOrNone(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}

// Room for the names of any multiple selection: Wine's dialog writes past a
// buffer too small for the names chosen, and a selection that does not fit
// the record's buffer is told as a failure here all the same.
constexpr std::size_t kSelectionRoom = std::size_t{1} << 20;

// A record's buffer as a UTF-16 buffer of as many units as it has bytes.
std::wstring WideBuffer(const std::string& buffer, std::size_t capacity) {
  std::wstring wide = Wide(buffer.substr(0, buffer.find('\0')));
  wide.resize(std::max<std::size_t>(capacity, 1), L'\0');
  return wide;
}

// What the dialog wrote into a buffer: up to and with its first NUL, or, for
// a multiple selection, up to and with the two NULs that end it.
std::wstring_view Written(const std::wstring& buffer, bool multiple) {
  const std::size_t end =
      multiple ? buffer.find(std::wstring_view(L"\0\0", 2)) : buffer.find(L'\0');
  if (end == std::wstring::npos) {
    return buffer;
  }
  return std::wstring_view(buffer).substr(0, end + (multiple ? 2 : 1));
}

}  // namespace

std::int32_t Win32DialogCalls::NotConfirmed() {
  lastError_ = ::CommDlgExtendedError();
  return lastError_ == 0 ? kDialogCancelled : kDialogFailed;
}

std::int32_t Win32DialogCalls::GetOpenFileNameA(OPENFILENAME& record) {
  return FileDialog(record, false);
}

std::int32_t Win32DialogCalls::GetSaveFileNameA(OPENFILENAME& record) {
  return FileDialog(record, true);
}

std::int32_t Win32DialogCalls::FileDialog(OPENFILENAME& record, bool save) {
  lastError_ = 0;
  const std::wstring filter = Wide(record.lpstrFilter);
  const std::wstring initialDir = Wide(record.lpstrInitialDir);
  const std::wstring title = Wide(record.lpstrTitle);
  // The system takes the extension without its dot.
  std::string_view extension = record.lpstrDefExt;
  if (extension.starts_with('.')) {
    extension.remove_prefix(1);
  }
  const std::wstring defaultExtension = Wide(extension);
  const bool multiple = (record.Flags & OFN_ALLOWMULTISELECT) != 0;
  std::wstring file =
      WideBuffer(record.lpstrFile, multiple ? std::max<std::size_t>(record.nMaxFile, kSelectionRoom)
                                            : record.nMaxFile);
  std::wstring fileTitle = record.nMaxFileTitle == 0
                               ? std::wstring()
                               : WideBuffer(record.lpstrFileTitle, record.nMaxFileTitle);

  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = SystemWindow(record.hwndOwner);
  request.lpstrFilter = TextOrNone(filter);
  request.nFilterIndex = record.nFilterIndex;
  request.lpstrFile = file.data();
  request.nMaxFile = static_cast<DWORD>(file.size());
  request.lpstrFileTitle = fileTitle.empty() ? nullptr : fileTitle.data();
  request.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
  request.lpstrInitialDir = TextOrNone(initialDir);
  request.lpstrTitle = TextOrNone(title);
  request.Flags = record.Flags & ~kFileHookFlags;
  request.lpstrDefExt = TextOrNone(defaultExtension);
  const BOOL confirmed = save ? ::GetSaveFileNameW(&request) : ::GetOpenFileNameW(&request);
  if (confirmed == 0) {
    return NotConfirmed();
  }

  const std::string selection = Narrow(Written(file, multiple));
  const std::string chosenTitle =
      fileTitle.empty() ? std::string() : Narrow(Written(fileTitle, false));
  if (selection.size() > record.lpstrFile.size() ||
      chosenTitle.size() > record.lpstrFileTitle.size()) {
    lastError_ = FNERR_BUFFERTOOSMALL;
    return kDialogFailed;
  }
  std::copy(selection.begin(), selection.end(), record.lpstrFile.begin());
  std::copy(chosenTitle.begin(), chosenTitle.end(), record.lpstrFileTitle.begin());
  record.Flags = request.Flags;
  record.nFilterIndex = request.nFilterIndex;
  // Offsets count bytes of the UTF-8 text.
  record.nFileOffset = static_cast<std::uint16_t>(
      Narrow(std::wstring_view(file).substr(0, request.nFileOffset)).size());
  record.nFileExtension = static_cast<std::uint16_t>(
      Narrow(std::wstring_view(file).substr(0, request.nFileExtension)).size());
  return kDialogConfirmed;
}

std::int16_t Win32DialogCalls::GetFileTitleA(const std::string& file, std::string& buffer,
                                             std::uint16_t capacity) {
  std::wstring title(std::max<std::uint16_t>(capacity, 1), L'\0');
  const short status =
      ::GetFileTitleW(Wide(file).c_str(), title.data(), static_cast<WORD>(title.size()));
  if (status != 0) {
    return status;
  }
  const std::string text = Narrow(title.c_str());
  const std::size_t needed = text.size() + 1;
  if (needed > capacity || needed > buffer.size()) {
    return static_cast<std::int16_t>(std::min<std::size_t>(needed, 0x7FFF));
  }
  std::copy(text.begin(), text.end(), buffer.begin());
  buffer[text.size()] = '\0';
  return 0;
}

HGLOBAL Win32DialogCalls::Keep(void* systemBlock) {
  if (systemBlock == nullptr) {
    return 0;
  }
  const HGLOBAL block = nextBlock_++;
  blocks_[block] = systemBlock;
  return block;
}

void* Win32DialogCalls::SystemBlock(HGLOBAL block) const {
  const auto found = blocks_.find(block);
  return found == blocks_.end() ? nullptr : found->second;
}

std::span<std::uint8_t> Win32DialogCalls::GlobalLock(HGLOBAL block) {
  void* systemBlock = SystemBlock(block);
  if (systemBlock == nullptr) {
    return {};
  }
  auto* bytes = static_cast<std::uint8_t*>(::GlobalLock(systemBlock));
  return bytes == nullptr ? std::span<std::uint8_t>() : std::span(bytes, ::GlobalSize(systemBlock));
}

bool Win32DialogCalls::GlobalUnlock(HGLOBAL block) {
  void* systemBlock = SystemBlock(block);
  return systemBlock != nullptr && ::GlobalUnlock(systemBlock) != 0;
}

HGLOBAL Win32DialogCalls::GlobalFree(HGLOBAL block) {
  void* systemBlock = SystemBlock(block);
  if (systemBlock == nullptr || ::GlobalFree(systemBlock) != nullptr) {
    return block;
  }
  blocks_.erase(block);
  return 0;
}

COLORREF Win32DialogCalls::GetSysColor(std::int32_t index) {
  return ::GetSysColor(index);
}

}  // namespace sprite::winsys::win32
