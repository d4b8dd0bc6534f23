#include "winsys/win32/win32_controls.h"

#include <algorithm>
#include <exception>

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

void RunGuarded(const std::function<void()>& handler, ::HWND owner) {
  const char* what = "An unexpected error stopped the command.";
  std::string said;
  try {
    handler();
    return;
  } catch (const std::exception& error) {
    said = error.what();
    what = said.c_str();
  } catch (...) {
  }
  ::MessageBoxW(owner, Wide(what).c_str(), Wide(ThisApplication().title).c_str(),
                MB_OK | MB_ICONERROR);
}

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
  const auto takesEnter = [hooks] { return hooks->takesEnter && hooks->takesEnter(); };
  if (message == WM_GETDLGCODE && takesEnter()) {
    // Claimed from the dialog keys, which would press the default button.
    const auto* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
      return ::DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTMESSAGE;
    }
  }
  if (message == WM_KEYDOWN && wParam == VK_RETURN && hooks->onEnterKey && takesEnter()) {
    hooks->onEnterKey();
    return 0;
  }
  if (message == WM_CHAR && wParam == VK_RETURN && hooks->onEnterKey) {
    return 0;  // the key's character: no search for a line starting with it
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

void Win32ListBox::Clear() {
  ::SendMessageW(window_, LB_RESETCONTENT, 0, 0);
  widest_ = 0;
  ::SendMessageW(window_, LB_SETHORIZONTALEXTENT, 0, 0);
}

void Win32ListBox::AddItem(const std::string& line) {
  const std::wstring text = Wide(line);
  const LRESULT before = ::SendMessageW(window_, LB_GETCOUNT, 0, 0);
  ::RECT area{};
  ::GetClientRect(window_, &area);
  const LRESULT lineHeight = std::max<LRESULT>(::SendMessageW(window_, LB_GETITEMHEIGHT, 0, 0), 1);
  const LRESULT shown = std::max<LRESULT>(area.bottom / lineHeight, 1);
  const bool showsEnd = ::SendMessageW(window_, LB_GETTOPINDEX, 0, 0) + shown >= before;
  ::SendMessageW(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  Measure(text);
  if (showsEnd) {
    ::SendMessageW(window_, LB_SETTOPINDEX,
                   static_cast<WPARAM>(std::max<LRESULT>(before + 1 - shown, 0)), 0);
  }
}

void Win32ListBox::InsertItem(std::int16_t index, const std::string& line) {
  if (index != Count()) {
    CheckListIndex(index, Count());
  }
  const std::wstring text = Wide(line);
  ::SendMessageW(window_, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.c_str()));
  ::SendMessageW(window_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Measure(text);
}

void Win32ListBox::Measure(const std::wstring& text) {
  // A log of thousands of lines measures each: a line of Latin-1 characters
  // is the sum of their widths, taken once for the list's font.
  const auto font = reinterpret_cast<::HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
  const bool latin = std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 256; });
  int width = 0;
  if (!latin || font != advancesFont_) {
    ::HDC dc = ::GetDC(window_);
    const ::HGDIOBJ old = ::SelectObject(dc, font);
    if (font != advancesFont_) {
      ::GetCharWidth32W(dc, 0, 255, advances_.data());
      advancesFont_ = font;
    }
    ::SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    width = size.cx;
    ::SelectObject(dc, old);
    ::ReleaseDC(window_, dc);
  } else {
    for (const wchar_t c : text) {
      width += advances_[static_cast<std::size_t>(c)];
    }
  }
  // The list box draws each line a few pixels in from its edge.
  constexpr int kMargin = 6;
  if (width + kMargin > widest_) {
    widest_ = width + kMargin;
    ::SendMessageW(window_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_), 0);
  }
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

void Win32ListBox::SetOnItemDragged(std::function<void(std::int16_t, std::int16_t)> handler) {
  const bool first = !onItemDragged_;
  onItemDragged_ = std::move(handler);
  if (first && onItemDragged_) {
    ::MakeDragList(window_);
  }
}

LRESULT Win32ListBox::Dragged(const DRAGLISTINFO& drag, ::HWND parent) {
  const int at = ::LBItemFromPt(window_, drag.ptCursor, TRUE);
  switch (drag.uNotification) {
    case DL_BEGINDRAG:
      dragFrom_ = at;
      return at >= 0 && onItemDragged_ ? TRUE : FALSE;
    case DL_DRAGGING:
      ::DrawInsert(parent, window_, at);
      return at >= 0 ? DL_MOVECURSOR : DL_STOPCURSOR;
    case DL_DROPPED:
      ::DrawInsert(parent, window_, -1);
      // The arrow stood before line `at`: a line moved down ends just above it.
      if (at >= 0 && dragFrom_ >= 0 && at != dragFrom_ && at <= kMaxListCount) {
        const int to = at > dragFrom_ ? at - 1 : at;
        const auto from = static_cast<std::int16_t>(dragFrom_);
        const std::function<void(std::int16_t, std::int16_t)> handler = onItemDragged_;
        if (to != from) {
          RunGuarded([&] { handler(from, static_cast<std::int16_t>(to)); }, parent);
        }
      }
      dragFrom_ = -1;
      return 0;
    default:  // DL_CANCELDRAG
      ::DrawInsert(parent, window_, -1);
      dragFrom_ = -1;
      return 0;
  }
}

void Win32ListBox::SetOnFilesDropped(FilesHandler handler) {
  hooks_.onFilesDropped = std::move(handler);
  ::DragAcceptFiles(window_, hooks_.onFilesDropped ? TRUE : FALSE);
}

void Win32ListBox::SetOnDeleteKey(std::function<void()> handler) {
  hooks_.onDeleteKey = std::move(handler);
}

void Win32ListBox::SetOnSelectionChanged(std::function<void()> handler) {
  onSelectionChanged_ = std::move(handler);
}

void Win32ListBox::SetOnOpenItem(std::function<void()> handler) {
  onOpenItem_ = std::move(handler);
  hooks_.takesEnter = [this] { return onOpenItem_ && ListIndex() >= 0; };
  hooks_.onEnterKey = [this] { Run(onOpenItem_); };
}

bool Win32ListBox::PointerOnLine() const {
  const DWORD at = ::GetMessagePos();
  ::POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ::ScreenToClient(window_, &point);
  const LRESULT hit = ::SendMessageW(window_, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  // The high word is 1 outside every line.
  return HIWORD(hit) == 0;
}

void Win32ListBox::Notified(WORD code) {
  if (code == LBN_SELCHANGE) {
    Run(onSelectionChanged_);
  } else if (code == LBN_DBLCLK && ListIndex() >= 0 && PointerOnLine()) {
    Run(onOpenItem_);
  }
}

void Win32ListBox::Run(const std::function<void()>& handler) const {
  if (handler) {
    const std::function<void()> call = handler;  // it may replace itself
    RunGuarded(call, ::GetAncestor(window_, GA_ROOT));
  }
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

void Win32TextBox::SetOnEnter(std::function<void()> handler) {
  hooks_.takesEnter = handler ? std::function<bool()>([] { return true; }) : nullptr;
  hooks_.onEnterKey = [this, handler] { RunGuarded(handler, ::GetAncestor(window_, GA_ROOT)); };
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
  return WholeTwipsPerPixel(owner_.Dpi());
}

double Win32ControlHost::ScaleWidth() const {
  ::RECT area{};
  ::GetClientRect(window_, &area);
  return area.right * TwipsPerPixelX();
}

double Win32ControlHost::ScaleHeight() const {
  ::RECT area{};
  ::GetClientRect(window_, &area);
  return area.bottom * TwipsPerPixelY();
}

void Win32ControlHost::Resized() const {
  if (onResize_) {
    const std::function<void()> handler = onResize_;
    handler();
  }
}

}  // namespace sprite::winsys::win32
