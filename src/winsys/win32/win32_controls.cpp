#include "winsys/win32/win32_controls.h"

#include "winsys/list_box_rules.h"
#include "winsys/win32/win32_window.h"

namespace sprite::winsys::win32 {
namespace {

std::string TextOf(::HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return Narrow(text);
}

std::vector<std::string> DroppedFiles(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    const UINT length = ::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size()));
    path.resize(length);
    paths.push_back(Narrow(path));
  }
  ::DragFinish(drop);
  return paths;
}

}  // namespace

InputHooks::InputHooks(::HWND window) : window_(window) {
  ::SetWindowSubclass(window_, Procedure, 1, reinterpret_cast<DWORD_PTR>(this));
}

InputHooks::~InputHooks() {
  ::RemoveWindowSubclass(window_, Procedure, 1);
}

LRESULT CALLBACK InputHooks::Procedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
  auto* hooks = reinterpret_cast<InputHooks*>(self);
  if (message == WM_DROPFILES) {
    const std::vector<std::string> paths = DroppedFiles(reinterpret_cast<HDROP>(wParam));
    if (hooks->onFilesDropped) {
      hooks->onFilesDropped(paths);
    }
    return 0;
  }
  if (message == WM_KEYDOWN && wParam == VK_DELETE && hooks->onDeleteKey) {
    hooks->onDeleteKey();
    return 0;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

void Win32ListBox::Clear() {
  ::SendMessageW(window_, LB_RESETCONTENT, 0, 0);
}

void Win32ListBox::AddItem(const std::string& line) {
  const std::wstring text = Wide(line);
  ::SendMessageW(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::int64_t Win32ListBox::Count() const {
  return std::max<LRESULT>(::SendMessageW(window_, LB_GETCOUNT, 0, 0), 0);
}

std::int16_t Win32ListBox::ListCount() const {
  return ListCount16(Count());
}

std::string Win32ListBox::List(std::int16_t index) const {
  CheckListIndex(index, Count());
  const auto at = static_cast<WPARAM>(index);
  std::wstring text(static_cast<std::size_t>(::SendMessageW(window_, LB_GETTEXTLEN, at, 0)) + 1,
                    L'\0');
  const LRESULT length =
      ::SendMessageW(window_, LB_GETTEXT, at, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
  return Narrow(text);
}

std::int16_t Win32ListBox::ListIndex() const {
  const LRESULT selected = ::SendMessageW(window_, LB_GETCURSEL, 0, 0);
  return selected < 0 || selected > kMaxListCount ? -1 : static_cast<std::int16_t>(selected);
}

void Win32ListBox::SetListIndex(std::int16_t index) {
  if (index != -1) {
    CheckListIndex(index, Count());
  }
  ::SendMessageW(window_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32ListBox::SelectLast() {
  const std::int64_t count = Count();
  if (count > 0) {
    ::SendMessageW(window_, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
  }
}

void Win32ListBox::RemoveItem(std::int16_t index) {
  CheckListIndex(index, Count());
  ::SendMessageW(window_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void Win32ListBox::SetOnFilesDropped(FilesHandler handler) {
  hooks_.onFilesDropped = std::move(handler);
  ::DragAcceptFiles(window_, hooks_.onFilesDropped ? TRUE : FALSE);
}

void Win32ListBox::SetOnDeleteKey(std::function<void()> handler) {
  hooks_.onDeleteKey = std::move(handler);
}

std::string Win32TextBox::Text() const {
  return TextOf(window_);
}

void Win32TextBox::SetText(const std::string& text) {
  ::SetWindowTextW(window_, Wide(text).c_str());
}

void Win32TextBox::SetEnabled(bool enabled) {
  ::EnableWindow(window_, enabled ? TRUE : FALSE);
}

void Win32TextBox::SetOnFilesDropped(FilesHandler handler) {
  hooks_.onFilesDropped = std::move(handler);
  ::DragAcceptFiles(window_, hooks_.onFilesDropped ? TRUE : FALSE);
}

void Win32PushButton::SetEnabled(bool enabled) {
  ::EnableWindow(window_, enabled ? TRUE : FALSE);
}

bool Win32PushButton::Enabled() const {
  return ::IsWindowEnabled(window_) != 0;
}

void Win32PushButton::SetDefault(bool isDefault) {
  ::SendMessageW(window_, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  owner_.SetDefaultButton(isDefault ? this : nullptr);
}

void Win32PushButton::SetCancel(bool isCancel) {
  owner_.SetCancelButton(isCancel ? this : nullptr);
}

void Win32PushButton::Click() {
  if (Enabled() && onClick_) {
    onClick_();
  }
}

void Win32Label::SetCaption(const std::string& caption) {
  ::SetWindowTextW(window_, Wide(caption).c_str());
}

double Win32ControlHost::TwipsPerPixelX() const {
  return 1440.0 / owner_.Dpi();
}

}  // namespace sprite::winsys::win32
