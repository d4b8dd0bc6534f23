// Pictures and fonts of the platform layer as the system's drawing calls take them.
#pragma once

#include <cstdint>
#include <vector>

#include "winsys/win32/win32_windows.h"
#include "winsys/window_system.h"

namespace sprite::winsys::win32 {

// A picture as a top-down, 24-bit device-independent bitmap: blue, green,
// red, each row padded to four bytes.
struct DeviceBitmap {
  BITMAPINFO info{};
  std::vector<std::uint8_t> bits;

  std::int32_t Width() const { return info.bmiHeader.biWidth; }
  std::int32_t Height() const { return -info.bmiHeader.biHeight; }
  bool Empty() const { return bits.empty(); }
};

// The picture's device bitmap; an empty one for an empty picture. The
// picture's bytes must match its size (CheckPictureBytes).
DeviceBitmap DeviceBitmapOf(const Picture& picture);

// The font of a design at `dpi` dots per inch; the caller deletes it.
::HFONT CreateDesignFont(const FontSpec& design, unsigned dpi);

}  // namespace sprite::winsys::win32
