#pragma once

#include <cstdint>

namespace sprite::winsys {

// Window handles are integers; 0 is no window.
using HWND = std::int32_t;
using HINSTANCE = std::int32_t;
using HPALETTE = std::int32_t;
// Device contexts and movable memory blocks are integer handles too; 0 is none.
using HDC = std::int32_t;
using HGLOBAL = std::int32_t;
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
// A 16-bit boolean: false = 0, true = -1, any non-zero value counts as true.
using VbBool = std::int16_t;
inline constexpr VbBool kVbTrue = -1;
inline constexpr VbBool kVbFalse = 0;

// Positions and sizes in twips: 1/1440 inch, 15 to a pixel at 96 dots per inch.
struct TwipsRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

}  // namespace sprite::winsys
