// Where the pixels of an opaque colour 0 go when indexed pictures keep their
// shared palette: an archive shows index 0 see-through, so such pixels would
// change unless they move.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/png_picture.h"

namespace sprite::pipeline {

struct Index0Place {
  std::uint8_t index = 0;
  // The index is past every picture's palette and takes colour 0 itself.
  bool free = false;
  // Neither free nor of colour 0's colour: the nearest colour of the palette.
  bool nearest = false;
};

// The place of colour 0 in `shared`, a PLTE of 1 to 256 entries that every
// picture's agrees with: the first index past it when it has fewer than 256
// entries (no picture uses an index its PLTE lacks); else the lowest other
// index of the same colour; else the nearest colour in OKLab, ties
// to the lowest index.
Index0Place PlaceOfOpaqueIndex0(const std::vector<formats::PngColour>& shared);

}  // namespace sprite::pipeline
