#pragma once

#include <cstdint>
#include <string>

#include "winsys/types.h"

namespace sprite::winsys {

// Window messages, styles and flags, with the platform's published values.
inline constexpr UINT PBM_SETRANGE = 0x401;
inline constexpr UINT PBM_SETPOS = 0x402;
inline constexpr UINT PBM_DELTAPOS = 0x403;
inline constexpr UINT PBM_SETSTEP = 0x404;
inline constexpr UINT PBM_STEPIT = 0x405;
inline constexpr UINT PBM_SETRANGE32 = 0x406;
inline constexpr UINT PBM_GETRANGE = 0x407;
inline constexpr UINT PBM_GETPOS = 0x408;
inline constexpr UINT PBM_SETBARCOLOR = 0x409;
inline constexpr UINT PBM_GETSTEP = 0x40D;
inline constexpr UINT PBM_GETBKCOLOR = 0x40E;
inline constexpr UINT PBM_GETBARCOLOR = 0x40F;
inline constexpr UINT PBM_SETBKCOLOR = 0x2001;  // CCM_SETBKCOLOR

inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t PBS_SMOOTH = 0x01;
inline constexpr std::uint32_t PBS_VERTICAL = 0x04;
inline constexpr std::int32_t WS_EX_WINDOWEDGE = 0x100;
inline constexpr std::int32_t WS_EX_STATICEDGE = 0x20000;
inline constexpr std::int32_t WS_EX_CLIENTEDGE = 0x200;
inline constexpr std::int32_t GWL_STYLE = -16;
inline constexpr std::int32_t GWL_EXSTYLE = -20;
inline constexpr std::int32_t SW_HIDE = 0;
inline constexpr std::int32_t SW_SHOW = 5;
inline constexpr UINT SWP_NOSIZE = 0x01;
inline constexpr UINT SWP_NOMOVE = 0x02;
inline constexpr UINT SWP_NOZORDER = 0x04;
inline constexpr UINT SWP_FRAMECHANGED = 0x20;

// Colour values: RGB (red in the low byte) or 0x80000000 + a system colour index.
inline constexpr std::uint32_t kSystemColourFlag = 0x80000000;
inline constexpr std::uint32_t COLOR_HIGHLIGHT = 13;
inline constexpr std::uint32_t COLOR_BTNFACE = 15;
inline constexpr std::uint32_t COLOR_MENUBAR = 30;  // the highest system colour index
// A bar or background colour of CLR_DEFAULT leaves the control's own default.
inline constexpr std::uint32_t CLR_DEFAULT = 0xFF000000;
// OleTranslateColor's status for a value that is no colour.
inline constexpr std::int32_t E_INVALIDARG = static_cast<std::int32_t>(0x80070057);

inline constexpr char kProgressClass[] = "msctls_progress32";

// The range buffer PBM_GETRANGE fills (its lParam points at one).
struct PBRANGE {
  std::int32_t iLow = 0;
  std::int32_t iHigh = 0;
};

// The raw window calls controls make. Results follow the platform: handles, 0
// for failure, the message's own result.
class WindowCalls {
 public:
  virtual ~WindowCalls() = default;
  virtual void InitCommonControls() = 0;
  virtual HWND CreateWindowExA(std::int32_t exStyle, const std::string& className,
                               const std::string& windowName, std::uint32_t style, std::int32_t x,
                               std::int32_t y, std::int32_t width, std::int32_t height, HWND parent,
                               std::int32_t menu, HINSTANCE instance, LPARAM param) = 0;
  virtual bool DestroyWindow(HWND window) = 0;
  virtual bool MoveWindow(HWND window, std::int32_t x, std::int32_t y, std::int32_t width,
                          std::int32_t height, bool repaint) = 0;
  virtual LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual HWND SetParent(HWND child, HWND newParent) = 0;
  virtual bool ShowWindow(HWND window, std::int32_t command) = 0;
  virtual std::int32_t SetWindowLongA(HWND window, std::int32_t index, std::int32_t value) = 0;
  virtual bool SetWindowPos(HWND window, HWND insertAfter, std::int32_t x, std::int32_t y,
                            std::int32_t cx, std::int32_t cy, UINT flags) = 0;
  // 0 on success, with the RGB value in `rgb`.
  virtual std::int32_t OleTranslateColor(std::uint32_t colour, HPALETTE palette,
                                         std::uint32_t* rgb) = 0;
};

}  // namespace sprite::winsys
