// The one place the Win32 backend includes the Windows headers. Many of the
// platform layer's names are also macros there (MessageBox, CreateWindow,
// Yield, PBM_SETPOS, OFN_READONLY, ...): the generated list that follows takes
// them back, so that the platform layer's headers may be included after this
// one. Code of the backend names the system's calls by their W forms and the
// system's types with "::" (::HWND, ::RECT), and uses the platform layer's
// constants for the values both share.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <olectl.h>
// clang-format on

#include "winsys/win32/win32_undefs.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "common/utf16.h"
#include "winsys/types.h"
#include "winsys/win32/win32_resources.h"

namespace sprite::winsys::win32 {

// The program's own module, whose window classes and resources these are.
inline ::HINSTANCE Module() {
  return ::GetModuleHandleW(nullptr);
}

// The program icon both programs carry.
inline const wchar_t* ProgramIcon() {
  return MAKEINTRESOURCEW(SPRITE_PROGRAM_ICON);
}

// Window handles, device contexts and registry keys keep their meaning in 32
// bits, as Windows shares them with 32-bit programs; the platform layer holds
// them as integers.
inline ::HWND SystemWindow(HWND window) {
  return reinterpret_cast<::HWND>(static_cast<std::intptr_t>(window));
}

inline HWND LayerWindow(::HWND window) {
  return static_cast<HWND>(reinterpret_cast<std::intptr_t>(window));
}

inline ::HDC SystemDc(HDC dc) {
  return reinterpret_cast<::HDC>(static_cast<std::intptr_t>(dc));
}

inline HDC LayerDc(::HDC dc) {
  return static_cast<HDC>(reinterpret_cast<std::intptr_t>(dc));
}

// Pixels for twips at `dpi` dots per inch, rounded.
inline int PixelsOf(std::int32_t twips, unsigned dpi) {
  return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}

}  // namespace sprite::winsys::win32
