// What the viewer draws, without any window: a picture's indexes turned into
// colours, scaled up by a whole step, index 0 over a checkerboard, placed in
// an area of the screen. Only the part the area shows is ever made.
#pragma once

#include <cstdint>
#include <string>

#include "common/bytes.h"
#include "formats/stored_picture.h"
#include "winsys/window_system.h"

namespace sprite::viewer {

inline constexpr std::int32_t kMinZoom = 1;
inline constexpr std::int32_t kMaxZoom = 16;
// An area is drawn up to this many pixels each way; a window larger than that
// shows the rest in its background colour.
inline constexpr std::int32_t kMaxAreaSide = 8192;
// The see-through colour (index 0) is drawn as squares of this many screen
// pixels, light and lighter, anchored at the picture's top left corner.
inline constexpr std::int32_t kCheckerSquare = 8;
// RGB values, red in the high byte.
inline constexpr std::uint32_t kCheckerLight = 0xFFFFFF;
inline constexpr std::uint32_t kCheckerDark = 0xD0D0D0;
inline constexpr std::uint32_t kBackground = 0x606060;  // around the picture

// A picture as the viewer keeps it: its indexes, top row first, and the
// palette they pick from.
struct IndexedPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;  // rows, never negative
  Bytes palette;            // 1024 bytes, archive order: red, green, blue, 0
  Bytes pixels;             // width * height indexes, top row first

  bool Empty() const { return width <= 0 || height <= 0; }
};

// A picture source's picture, as the viewer keeps it: the sign of its height
// (which only said how the file stored its rows) is dropped, and rows other
// than its height says are shown as they are held. Throws
// InvalidArgumentError for a negative width, pixels without a width to hold
// them, or a palette of other than 1024 bytes.
IndexedPicture FromStored(formats::StoredPicture picture);

// How many different palette entries the pixels use, index 0 among them.
std::int32_t CountColours(ByteView pixels);

// The largest whole step, kMinZoom to kMaxZoom, at which the picture fits the
// area both ways; kMinZoom when not even that fits.
std::int32_t FitZoom(std::int32_t width, std::int32_t height, winsys::PixelSize area);

// A point of the picture, in picture pixels (fractions allowed).
struct PicturePoint {
  double x = 0;
  double y = 0;
};

// Where the scaled picture's top left corner lies in the area, in area pixels.
struct Placement {
  std::int64_t left = 0;
  std::int64_t top = 0;
};

// Places the picture, scaled by `zoom`, so that `centre` lies at the middle of
// the area; each way in which it is smaller than the area it is centred, and
// in which it is larger it covers the area (no gap at either edge). `centre`
// is moved to the point that ends up in the middle.
Placement PlacePicture(std::int32_t width, std::int32_t height, std::int32_t zoom,
                       winsys::PixelSize area, PicturePoint& centre);

// The picture as the area shows it: every pixel `zoom` times each way, placed
// at `place`, index 0 as the checkerboard, the rest of the area kBackground.
// At most kMaxAreaSide pixels each way; empty for an empty area.
winsys::Picture RenderView(const IndexedPicture& picture, std::int32_t zoom, Placement place,
                           winsys::PixelSize area);

}  // namespace sprite::viewer
