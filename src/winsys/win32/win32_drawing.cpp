#include "winsys/win32/win32_drawing.h"

#include <cmath>

namespace sprite::winsys::win32 {

DeviceBitmap DeviceBitmapOf(const Picture& picture) {
  DeviceBitmap bitmap;
  if (picture.Empty()) {
    return bitmap;
  }
  const auto width = static_cast<std::size_t>(picture.width);
  const auto height = static_cast<std::size_t>(picture.height);
  const std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
  bitmap.bits.resize(stride * height);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* rgb = &picture.rgb[y * width * 3];
    std::uint8_t* bgr = &bitmap.bits[y * stride];
    for (std::size_t x = 0; x < width; ++x, rgb += 3, bgr += 3) {
      bgr[0] = rgb[2];
      bgr[1] = rgb[1];
      bgr[2] = rgb[0];
    }
  }
  BITMAPINFOHEADER& header = bitmap.info.bmiHeader;
  header.biSize = sizeof header;
  header.biWidth = picture.width;
  header.biHeight = -picture.height;  // top row first
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  return bitmap;
}

::HFONT CreateDesignFont(const FontSpec& design, unsigned dpi) {
  const double pixels = design.points * dpi / 72.0;
  return ::CreateFontW(-static_cast<int>(std::lround(pixels)), 0, 0, 0, design.weight, FALSE, FALSE,
                       FALSE, static_cast<BYTE>(design.charset), OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       Wide(design.name).c_str());
}

}  // namespace sprite::winsys::win32
