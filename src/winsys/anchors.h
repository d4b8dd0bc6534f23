// How a control follows its window when the window is larger than its design.
#pragma once

#include <cmath>

namespace sprite::winsys {

// The share of the extra width (left, right) and height (top, bottom) by which
// each edge of a control moves: {0, 0, 1, 0} widens it, {1, 0, 1, 0} moves it
// along. Edges with the same share stay together.
struct Anchors {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

// A place in a client area, in pixels.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Where a control placed at `design` stands in a client area `extraWidth` and
// `extraHeight` pixels larger than the design's.
inline PixelRect Anchored(const PixelRect& design, const Anchors& anchors, int extraWidth,
                          int extraHeight) {
  const auto moved = [](double share, int extra) {
    return static_cast<int>(std::lround(share * extra));
  };
  const int left = design.left + moved(anchors.left, extraWidth);
  const int top = design.top + moved(anchors.top, extraHeight);
  const int right = design.left + design.width + moved(anchors.right, extraWidth);
  const int bottom = design.top + design.height + moved(anchors.bottom, extraHeight);
  return {left, top, right - left, bottom - top};
}

}  // namespace sprite::winsys
