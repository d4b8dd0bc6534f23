#include "winsys/win32/win32_picture_window.h"

#include <algorithm>
#include <optional>

#include "common/error.h"
#include "winsys/picture_check.h"
#include "winsys/win32/win32_controls.h"

namespace sprite::winsys::win32 {
namespace {

constexpr wchar_t kClass[] = L"SpritePictureWindow";
// Posted when a call made to the window changed the picture area's size.
constexpr UINT kAreaChanged = WM_APP + 1;
// The window's one timer, SetTimer's.
constexpr UINT_PTR kTimerId = 1;
// Around the text line, and the smallest window, in pixels at 96 dots per inch.
constexpr int kTextSide = 6;
constexpr int kTextAbove = 3;
constexpr int kTextBelow = 4;
constexpr int kMinWidth = 200;
constexpr int kMinHeight = 150;
constexpr UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;

int Scaled(int pixels, unsigned dpi) {
  return ::MulDiv(pixels, static_cast<int>(dpi), 96);
}

std::optional<PictureKey> KeyOf(WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      return PictureKey::kEscape;
    case VK_LEFT:
      return PictureKey::kLeft;
    case VK_RIGHT:
      return PictureKey::kRight;
    case VK_UP:
      return PictureKey::kUp;
    case VK_DOWN:
      return PictureKey::kDown;
    case VK_PRIOR:
      return PictureKey::kPageUp;
    case VK_NEXT:
      return PictureKey::kPageDown;
    case VK_HOME:
      return PictureKey::kHome;
    case VK_END:
      return PictureKey::kEnd;
    default:
      return std::nullopt;
  }
}

// "+", "-", the brackets and the space bar as typed, whatever the keyboard's
// layout, keypad included.
std::optional<PictureKey> CharacterOf(WPARAM character) {
  switch (character) {
    case L' ':
      return PictureKey::kPlay;
    case L'[':
      return PictureKey::kSlower;
    case L']':
      return PictureKey::kFaster;
    case L'+':
    case L'=':
      return PictureKey::kZoomIn;
    case L'-':
    case L'_':
      return PictureKey::kZoomOut;
    default:
      return std::nullopt;
  }
}

class InCall {
 public:
  explicit InCall(int& depth) : depth_(depth) { ++depth_; }
  ~InCall() { --depth_; }
  InCall(const InCall&) = delete;
  InCall& operator=(const InCall&) = delete;

 private:
  int& depth_;
};

}  // namespace

Win32PictureWindow::Win32PictureWindow(const PictureWindowSpec& design) : fontDesign_(design.font) {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = Module();
    windowClass.hIcon = ::LoadIconW(Module(), ProgramIcon());
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClass;
    return ::RegisterClassExW(&windowClass) != 0;
  }();
  static_cast<void>(registered);
  const InCall call(inCall_);
  Create(WS_EX_APPWINDOW, kClass, design.caption, WS_OVERLAPPEDWINDOW);
  dpi_ = std::max(::GetDpiForWindow(window_), 1U);
  font_ = CreateDesignFont(fontDesign_, dpi_);
  ::RECT frame{0, 0, PixelsOf(std::max(design.clientWidth, 0), dpi_),
               PixelsOf(std::max(design.clientHeight, 0), dpi_)};
  ::AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW, dpi_);
  ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut();
}

Win32PictureWindow::~Win32PictureWindow() {
  Destroy();
  ::DeleteObject(font_);
}

void Win32PictureWindow::SetCaption(const std::string& caption) {
  const InCall call(inCall_);
  ::SetWindowTextW(window_, Wide(caption).c_str());
}

void Win32PictureWindow::SetPicture(const Picture& picture) {
  const InCall call(inCall_);
  CheckPictureBytes(picture);
  bitmap_ = DeviceBitmapOf(picture);
  ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32PictureWindow::SetText(const std::string& text) {
  const InCall call(inCall_);
  text_ = Wide(text);
  LayOut();
  ::InvalidateRect(window_, nullptr, FALSE);
}

void Win32PictureWindow::Show() {
  const InCall call(inCall_);
  ::ShowWindow(window_, ::IsIconic(window_) != 0 ? SW_RESTORE : SW_SHOW);
  ::SetForegroundWindow(window_);
  ::SetFocus(window_);
}

void Win32PictureWindow::Close() {
  const InCall call(inCall_);
  ::ShowWindow(window_, SW_HIDE);
}

void Win32PictureWindow::SetTimer(std::int32_t intervalMs) {
  if (intervalMs > 0) {
    ::SetTimer(window_, kTimerId, static_cast<UINT>(intervalMs), nullptr);
  } else {
    ::KillTimer(window_, kTimerId);
  }
}

void Win32PictureWindow::LayOut() {
  ::RECT client{};
  ::GetClientRect(window_, &client);
  ::HDC dc = ::GetDC(window_);
  ::HGDIOBJ old = ::SelectObject(dc, font_);
  const int side = Scaled(kTextSide, dpi_);
  ::RECT line{0, 0, std::max<LONG>(client.right - 2 * side, 1), 0};
  // An empty line keeps the height of one.
  ::DrawTextW(dc, text_.empty() ? L" " : text_.c_str(), -1, &line, kTextFormat | DT_CALCRECT);
  ::SelectObject(dc, old);
  ::ReleaseDC(window_, dc);
  textHeight_ = line.bottom + Scaled(kTextAbove + kTextBelow, dpi_);
  const PixelSize area{client.right, std::max<std::int32_t>(client.bottom - textHeight_, 0)};
  if (area == area_) {
    return;
  }
  area_ = area;
  if (inCall_ > 0) {
    ::PostMessageW(window_, kAreaChanged, 0, 0);
  } else {
    Report([this](PictureWindowHandler& handler) { handler.AreaResized(area_); });
  }
}

void Win32PictureWindow::Paint() {
  PAINTSTRUCT paint{};
  ::HDC dc = ::BeginPaint(window_, &paint);
  ::RECT client{};
  ::GetClientRect(window_, &client);
  ::HBRUSH background = ::GetSysColorBrush(COLOR_BTNFACE);
  const int shownWidth = bitmap_.Empty() ? 0 : std::min(bitmap_.Width(), area_.width);
  const int shownHeight = bitmap_.Empty() ? 0 : std::min(bitmap_.Height(), area_.height);
  if (shownWidth > 0 && shownHeight > 0) {
    // Clipped to the area: a picture made for a larger one never covers the text.
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, 0, 0, area_.width, area_.height);
    ::SetDIBitsToDevice(
        dc, 0, 0, static_cast<DWORD>(bitmap_.Width()), static_cast<DWORD>(bitmap_.Height()), 0, 0,
        0, static_cast<UINT>(bitmap_.Height()), bitmap_.bits.data(), &bitmap_.info, DIB_RGB_COLORS);
    ::RestoreDC(dc, saved);
  }
  // The area beside and below the picture, then the text line.
  const ::RECT beside{shownWidth, 0, area_.width, shownHeight};
  const ::RECT below{0, shownHeight, area_.width, area_.height};
  const ::RECT line{0, area_.height, client.right, client.bottom};
  for (const ::RECT& rect : {beside, below, line}) {
    if (rect.right > rect.left && rect.bottom > rect.top) {
      ::FillRect(dc, &rect, background);
    }
  }
  const int side = Scaled(kTextSide, dpi_);
  ::RECT text{side, area_.height + Scaled(kTextAbove, dpi_), client.right - side, client.bottom};
  ::HGDIOBJ old = ::SelectObject(dc, font_);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  ::DrawTextW(dc, text_.c_str(), -1, &text, kTextFormat);
  ::SelectObject(dc, old);
  ::EndPaint(window_, &paint);
}

void Win32PictureWindow::Wheel(std::int32_t delta, bool across, WORD keys) {
  const std::int32_t notches = wheel_.Add(delta, across);
  if (notches == 0) {
    return;
  }
  const bool control = (keys & MK_CONTROL) != 0;
  // A wheel that turns sideways scrolls across, as a vertical one with Shift does.
  const bool shift = across || (keys & MK_SHIFT) != 0;
  Report([&](PictureWindowHandler& handler) { handler.WheelTurned(notches, control, shift); });
}

template <typename Call>
void Win32PictureWindow::Report(const Call& call) {
  if (handler_ == nullptr || inCall_ > 0) {
    return;
  }
  RunGuarded([&] { call(*handler_); }, window_);
}

LRESULT Win32PictureWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      LayOut();
      return 0;
    case kAreaChanged:
      Report([this](PictureWindowHandler& handler) { handler.AreaResized(area_); });
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {Scaled(kMinWidth, dpi_), Scaled(kMinHeight, dpi_)};
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT paints every pixel
    case WM_PAINT:
      Paint();
      return 0;
    case WM_KEYDOWN:
      if (const std::optional<PictureKey> key = KeyOf(wParam)) {
        Report([&](PictureWindowHandler& handler) { handler.KeyPressed(*key); });
        return 0;
      }
      break;
    case WM_CHAR:
      if (const std::optional<PictureKey> key = CharacterOf(wParam)) {
        Report([&](PictureWindowHandler& handler) { handler.KeyPressed(*key); });
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam == kTimerId) {
        Report([](PictureWindowHandler& handler) { handler.TimerTicked(); });
        return 0;
      }
      break;
    case WM_MOUSEWHEEL:
      Wheel(GET_WHEEL_DELTA_WPARAM(wParam), false, GET_KEYSTATE_WPARAM(wParam));
      return 0;
    case WM_MOUSEHWHEEL:
      // The system counts a turn to the right as positive; the handler hears
      // of the wheel turned away from the user, which scrolls left.
      Wheel(-GET_WHEEL_DELTA_WPARAM(wParam), true, GET_KEYSTATE_WPARAM(wParam));
      return 0;
    case WM_CLOSE:
      // Hidden first, so that the handler sees it closed.
      ::ShowWindow(window_, SW_HIDE);
      Report([](PictureWindowHandler& handler) { handler.Closed(); });
      return 0;
    case WM_DPICHANGED: {
      dpi_ = std::max<unsigned>(HIWORD(wParam), 1U);
      ::HFONT old = font_;
      font_ = CreateDesignFont(fontDesign_, dpi_);
      ::DeleteObject(old);
      const auto* suggested = reinterpret_cast<const ::RECT*>(lParam);
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      LayOut();
      ::InvalidateRect(window_, nullptr, FALSE);
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace sprite::winsys::win32
