// How a run brings its PNG pictures' colours into the archive's palette when
// the user asks for it, for every command that stores PNG pictures.
#pragma once

#include <cstdint>
#include <string>

#include "colour/dither.h"

namespace sprite::pipeline {

struct ColourMapping {
  // A palette file (GIMP, JASC, PNG, bitmap or sprite archive) that PNG
  // pictures are mapped to; empty: their shared palette, or one built of them.
  std::string paletteFile{};
  // 1 to 255: a palette of at most this many opaque colours chosen from all
  // the run's PNG pictures, which are mapped to it; 0: none is chosen. Not
  // with `paletteFile`.
  std::uint32_t colours = 0;
  // How colours without an exact entry take the palette's.
  colour::Dither dither = colour::Dither::kNone;
};

}  // namespace sprite::pipeline
