#include "viewer/view_image.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <limits>
#include <utility>

#include "common/error.h"
#include "formats/bitmap.h"
#include "formats/stored_picture.h"

namespace sprite::viewer {
namespace {

using winsys::PixelSize;

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

constexpr Rgb FromValue(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value)};
}

// One axis of PlacePicture: where the scaled picture starts, and the centre
// moved to what ends up in the middle.
std::int64_t PlaceAxis(std::int32_t size, std::int32_t zoom, std::int32_t areaSide,
                       double& centre) {
  const std::int64_t scaled = std::int64_t{size} * zoom;
  const std::int32_t side = std::max(areaSide, 0);
  if (scaled <= side) {
    centre = size / 2.0;
    return (side - scaled) / 2;
  }
  const auto wanted = static_cast<std::int64_t>(std::llround(side / 2.0 - centre * zoom));
  const std::int64_t start = std::clamp(wanted, side - scaled, std::int64_t{0});
  // Both fit a double exactly: at most 32767 * 16 each way.
  centre = (side / 2.0 - static_cast<double>(start)) / zoom;
  return start;
}

}  // namespace

IndexedPicture FromStored(formats::StoredPicture picture) {
  const std::int64_t width = picture.width;
  const std::int64_t size = static_cast<std::int64_t>(picture.storedRows.size());
  std::int64_t height = std::abs(std::int64_t{picture.height});
  // A bitmap's height or an entry's head may say other rows than the pixels
  // hold, and Encode stores such a picture with a warning: shown are the rows
  // held, the last one filled up with index 0, as decode --png writes them.
  if (width > 0 && size != width * height) {
    height = std::max<std::int64_t>(1, (size + width - 1) / width);
  }
  if (width < 0 || (width == 0 && size != 0) || height > std::numeric_limits<std::int32_t>::max() ||
      picture.palette.size() != formats::kPaletteSize) {
    throw InvalidArgumentError("a picture of " + std::to_string(width) + " x " +
                               std::to_string(height) + " pixels came with " +
                               std::to_string(picture.storedRows.size()) + " pixel bytes and " +
                               std::to_string(picture.palette.size()) + " palette bytes");
  }
  IndexedPicture kept;
  kept.width = static_cast<std::int32_t>(width);
  kept.height = static_cast<std::int32_t>(height);
  kept.palette = std::move(picture.palette);
  kept.pixels = std::move(picture.storedRows);
  kept.pixels.resize(static_cast<std::size_t>(width * height), 0);
  formats::TurnStoredRows(picture.height, static_cast<std::uint32_t>(width), kept.pixels);
  return kept;
}

std::int32_t CountColours(ByteView pixels) {
  std::bitset<256> used;
  for (const std::uint8_t index : pixels) {
    used.set(index);
  }
  return static_cast<std::int32_t>(used.count());
}

std::int32_t FitZoom(std::int32_t width, std::int32_t height, PixelSize area) {
  if (width <= 0 || height <= 0) {
    return kMinZoom;
  }
  const std::int32_t across = std::max(area.width, 0) / width;
  const std::int32_t down = std::max(area.height, 0) / height;
  return std::clamp(std::min(across, down), kMinZoom, kMaxZoom);
}

Placement PlacePicture(std::int32_t width, std::int32_t height, std::int32_t zoom, PixelSize area,
                       PicturePoint& centre) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  return {PlaceAxis(width, zoom, area.width, centre.x),
          PlaceAxis(height, zoom, area.height, centre.y)};
}

winsys::Picture RenderView(const IndexedPicture& picture, std::int32_t zoom, Placement place,
                           PixelSize area) {
  winsys::Picture view;
  view.width = std::clamp(area.width, 0, kMaxAreaSide);
  view.height = std::clamp(area.height, 0, kMaxAreaSide);
  if (view.Empty()) {
    return {};
  }
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  const std::size_t rowBytes = static_cast<std::size_t>(view.width) * 3;
  view.rgb.resize(rowBytes * static_cast<std::size_t>(view.height));
  const Rgb background = FromValue(kBackground);
  for (std::size_t at = 0; at < view.rgb.size(); at += 3) {
    view.rgb[at] = background.red;
    view.rgb[at + 1] = background.green;
    view.rgb[at + 2] = background.blue;
  }
  if (picture.Empty() || picture.pixels.size() != static_cast<std::uint64_t>(picture.width) *
                                                      static_cast<std::uint64_t>(picture.height)) {
    return view;
  }

  std::array<Rgb, 256> colours{};
  for (std::size_t index = 0; index < colours.size() && index * 4 + 2 < picture.palette.size();
       ++index) {
    colours[index] = {picture.palette[index * 4], picture.palette[index * 4 + 1],
                      picture.palette[index * 4 + 2]};
  }
  const std::array<Rgb, 2> checker{FromValue(kCheckerLight), FromValue(kCheckerDark)};

  const std::int64_t scaledWidth = std::int64_t{picture.width} * zoom;
  const std::int64_t scaledHeight = std::int64_t{picture.height} * zoom;
  // The columns of the area the picture covers.
  const std::int64_t firstX = std::clamp<std::int64_t>(place.left, 0, view.width);
  const std::int64_t endX = std::clamp<std::int64_t>(place.left + scaledWidth, 0, view.width);
  for (std::int64_t y = 0; y < view.height; ++y) {
    const std::int64_t scaledY = y - place.top;
    if (scaledY < 0 || scaledY >= scaledHeight || firstX >= endX) {
      continue;
    }
    const std::uint8_t* row = picture.pixels.data() + static_cast<std::size_t>(scaledY / zoom) *
                                                          static_cast<std::size_t>(picture.width);
    const std::int64_t checkerRow = scaledY / kCheckerSquare;
    std::uint8_t* out = view.rgb.data() + static_cast<std::size_t>(y) * rowBytes +
                        static_cast<std::size_t>(firstX) * 3;
    std::int64_t scaledX = firstX - place.left;
    std::int64_t column = scaledX / zoom;
    std::int64_t repeat = scaledX % zoom;
    for (std::int64_t x = firstX; x < endX; ++x, ++scaledX, out += 3) {
      const std::uint8_t index = row[column];
      const Rgb colour =
          index != 0 ? colours[index] : checker[(scaledX / kCheckerSquare + checkerRow) & 1];
      out[0] = colour.red;
      out[1] = colour.green;
      out[2] = colour.blue;
      if (++repeat == zoom) {
        repeat = 0;
        ++column;
      }
    }
  }
  return view;
}

}  // namespace sprite::viewer
