#include "winsys/win32/win32_window.h"

#include <algorithm>

#include "common/error.h"
#include "winsys/win32/win32_window_system.h"

namespace sprite::winsys::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"SpriteEncoderWindow";
constexpr wchar_t kHostClass[] = L"SpriteControlHost";
constexpr wchar_t kPictureClass[] = L"SpritePicture";
// Menu items' command ids, clear of the controls' (from 100 up).
constexpr int kFirstMenuId = 0x4000;

// A host tells its control of a new size (the window was resized, or moved to
// a monitor of other dots per inch): oProgressBar makes its bar anew to fill it.
LRESULT CALLBACK HostProcedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {
    if (const auto* host =
            reinterpret_cast<const Win32ControlHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
      host->Resized();
    }
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// The message a drag list (MakeDragList) sends its parent.
UINT DragListMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"commctrl_DragListMsg");
  return message;
}

// Draws the bitmap its window holds, stretched to the window.
LRESULT CALLBACK PictureProcedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) {
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  PAINTSTRUCT paint{};
  ::HDC dc = ::BeginPaint(window, &paint);
  const auto* bitmap =
      reinterpret_cast<const DeviceBitmap*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (bitmap != nullptr && !bitmap->Empty()) {
    ::RECT area{};
    ::GetClientRect(window, &area);
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchDIBits(dc, 0, 0, area.right, area.bottom, 0, 0, bitmap->Width(), bitmap->Height(),
                    bitmap->bits.data(), &bitmap->info, DIB_RGB_COLORS, SRCCOPY);
  }
  ::EndPaint(window, &paint);
  return 0;
}

}  // namespace

void Win32Window::RegisterClasses() {
  static const bool registered = [] {
    WNDCLASSEXW window{};
    window.cbSize = sizeof window;
    window.lpfnWndProc = Procedure;
    window.hInstance = Module();
    window.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window.hbrBackground = reinterpret_cast<::HBRUSH>(COLOR_BTNFACE + 1);
    window.lpszClassName = kWindowClass;
    ::RegisterClassExW(&window);
    window.lpfnWndProc = HostProcedure;
    window.lpszClassName = kHostClass;
    ::RegisterClassExW(&window);
    window.lpfnWndProc = PictureProcedure;
    window.lpszClassName = kPictureClass;
    ::RegisterClassExW(&window);
    return true;
  }();
  static_cast<void>(registered);
}

const Win32Window* Win32Window::Of(::HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return std::wstring_view(name) == kWindowClass ? ObjectOf(window) : nullptr;
}

Win32Window::Win32Window(const WindowSpec& design, Win32WindowSystem& system)
    : design_(design), system_(system) {
  RegisterClasses();
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (!design.fixedBorder) {
    style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  }
  const DWORD exStyle =
      WS_EX_CONTROLPARENT | (design.showInTaskbar ? WS_EX_APPWINDOW : WS_EX_DLGMODALFRAME);
  Create(exStyle, kWindowClass, design.caption, style);
  dpi_ = std::max(::GetDpiForWindow(window_), 1U);
  LayOut(dpi_);
  if (design.centred) {
    ::RECT frame{};
    ::GetWindowRect(window_, &frame);
    MONITORINFO monitor{sizeof(MONITORINFO), {}, {}, 0};
    ::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const ::RECT& work = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  system_.Opened(*this);
}

Win32Window::~Win32Window() {
  system_.Destroyed(*this);
  for (const auto& host : hosts_) {
    ::SetWindowLongPtrW(host->System(), GWLP_USERDATA, 0);
  }
  // The controls' hooks and the menu bar go before their windows do.
  menuBar_.reset();
  listBoxes_.clear();
  textBoxes_.clear();
  Destroy();
  ::DeleteObject(font_);
  ::DestroyIcon(bigIcon_);
  ::DestroyIcon(smallIcon_);
}

::HWND Win32Window::Place(const ControlSpec& design, const wchar_t* className,
                          const std::string& text, DWORD style, DWORD exStyle) {
  const ::RECT at = ControlRect({nullptr, design.rect, design.anchors});
  const int id = nextId_++;
  ::HWND control =
      ::CreateWindowExW(exStyle, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                        at.left, at.top, at.right - at.left, at.bottom - at.top, window_,
                        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), Module(), nullptr);
  if (control == nullptr) {
    throw InvalidArgumentError("the control " + design.name + " could not be made");
  }
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  placed_.push_back({control, design.rect, design.anchors});
  return control;
}

PushButton& Win32Window::AddButton(const ControlSpec& design, const std::string& caption) {
  const int id = nextId_;
  ::HWND control = Place(design, L"BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON);
  buttons_.push_back(std::make_unique<Win32PushButton>(control, id, *this));
  return *buttons_.back();
}

ListBox& Win32Window::AddListBox(const ControlSpec& design) {
  // A line wider than the list gets a horizontal scroll bar (LB_SETHORIZONTALEXTENT).
  ::HWND control = Place(
      design, L"LISTBOX", "",
      WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS,
      WS_EX_CLIENTEDGE);
  listBoxes_.push_back(std::make_unique<Win32ListBox>(control));
  return *listBoxes_.back();
}

TextBox& Win32Window::AddTextBox(const ControlSpec& design, const std::string& text) {
  ::HWND control = Place(design, L"EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  // No length limit: 0 lifts the edit control's own limit of 32767 characters.
  ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
  textBoxes_.push_back(std::make_unique<Win32TextBox>(control));
  return *textBoxes_.back();
}

Label& Win32Window::AddLabel(const ControlSpec& design, const std::string& caption) {
  ::HWND control = Place(design, L"STATIC", caption, SS_LEFT | SS_NOPREFIX);
  labels_.push_back(std::make_unique<Win32Label>(control));
  return *labels_.back();
}

ControlHost& Win32Window::AddControlHost(const ControlSpec& design) {
  ::HWND control = Place(design, kHostClass, "", WS_CLIPCHILDREN);
  hosts_.push_back(std::make_unique<Win32ControlHost>(control, *this));
  ::SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(hosts_.back().get()));
  return *hosts_.back();
}

void Win32Window::AddPictureBox(const ControlSpec& design, const Picture& picture) {
  ::HWND control = Place(design, kPictureClass, "", 0);
  pictures_.push_back(std::make_unique<DeviceBitmap>(DeviceBitmapOf(picture)));
  ::SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pictures_.back().get()));
}

void Win32Window::AddLine(TwipsPoint from, TwipsPoint to, std::uint32_t colour) {
  lines_.push_back({from, to, colour});
  ::InvalidateRect(window_, nullptr, TRUE);
}

Menu& Win32Window::AddMenu(const std::string& caption) {
  if (!menuBar_) {
    menuBar_ = std::make_unique<Win32MenuBar>(window_, kFirstMenuId);
  }
  Menu& menu = menuBar_->AddMenu(caption);
  // The bar takes its room above the client area, which keeps its size.
  LayOut(dpi_);
  return menu;
}

void Win32Window::Show() {
  ::ShowWindow(window_, SW_SHOW);
  ::SetForegroundWindow(window_);
  ::HWND first = ::GetNextDlgTabItem(window_, nullptr, FALSE);
  ::SetFocus(first != nullptr ? first : window_);
  system_.Opened(*this);
}

void Win32Window::Close() {
  if (Visible()) {
    ::ShowWindow(window_, SW_HIDE);
  }
  system_.Closed(*this);
}

void Win32Window::Command(int id) {
  for (const auto& button : buttons_) {
    if (button->Id() == id) {
      button->Click();
      return;
    }
  }
}

void Win32Window::ListNotified(::HWND list, WORD code) {
  for (const auto& box : listBoxes_) {
    if (box->System() == list) {
      box->Notified(code);
      return;
    }
  }
}

LRESULT Win32Window::ListDragged(const DRAGLISTINFO& drag) {
  for (const auto& box : listBoxes_) {
    if (box->System() == drag.hWnd) {
      return box->Dragged(drag, window_);
    }
  }
  return 0;
}

void Win32Window::Paint() {
  PAINTSTRUCT paint{};
  ::HDC dc = ::BeginPaint(window_, &paint);
  for (const Line& line : lines_) {
    ::HPEN pen = ::CreatePen(PS_SOLID, std::max(1, PixelsOf(15, dpi_)), line.colour);
    ::HGDIOBJ old = ::SelectObject(dc, pen);
    ::MoveToEx(dc, PixelsOf(line.from.x, dpi_), PixelsOf(line.from.y, dpi_), nullptr);
    ::LineTo(dc, PixelsOf(line.to.x, dpi_), PixelsOf(line.to.y, dpi_));
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
  }
  ::EndPaint(window_, &paint);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == DragListMessage()) {
    return ListDragged(*reinterpret_cast<const DRAGLISTINFO*>(lParam));
  }
  switch (message) {
    case WM_COMMAND:
      // A menu item (0) or its shortcut (1).
      if (lParam == 0 && HIWORD(wParam) <= 1 && menuBar_ && menuBar_->Command(LOWORD(wParam))) {
        return 0;
      }
      if (lParam != 0 && (HIWORD(wParam) == LBN_SELCHANGE || HIWORD(wParam) == LBN_DBLCLK)) {
        ListNotified(reinterpret_cast<::HWND>(lParam), HIWORD(wParam));
      } else if (lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
        Command(LOWORD(wParam));
      } else if (lParam == 0 && LOWORD(wParam) == IDCANCEL && cancelButton_ != nullptr) {
        cancelButton_->Click();  // Esc
      }
      return 0;
    case DM_GETDEFID:
      // Enter presses the default button; IsDialogMessageW asks for it.
      return defaultButton_ == nullptr ? 0 : MAKELRESULT(defaultButton_->Id(), DC_HASDEFID);
    case WM_CLOSE:
      if (!onClose_ || onClose_()) {
        Close();
      }
      return 0;
    case WM_ACTIVATE:
      // Back to the control that had the focus, as a dialog does.
      if (LOWORD(wParam) == WA_INACTIVE) {
        ::HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(window_, focus)) {
          ::SetPropW(window_, L"SpriteFocus", focus);
        }
      } else if (auto* focus = static_cast<::HWND>(::GetPropW(window_, L"SpriteFocus"));
                 focus != nullptr && ::IsWindow(focus)) {
        ::SetFocus(focus);
        return 0;
      }
      break;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const ::RECT*>(lParam);
      LayOut(HIWORD(wParam));
      // A window the user sized keeps its share of the screen.
      const UINT keepSize = design_.fixedBorder ? SWP_NOSIZE : 0;
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     keepSize | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_GETMINMAXINFO:
      if (!design_.fixedBorder) {
        // The design's size is the least.
        const ::SIZE least = DesignFrame();
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {least.cx, least.cy};
      }
      return 0;
    case WM_SIZE:
      PlaceControls();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DESTROY:
      ::RemovePropW(window_, L"SpriteFocus");
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace sprite::winsys::win32
