// How a picture's colours that are not in the palette are brought into it.
#pragma once

#include <optional>
#include <string_view>

namespace sprite::colour {

enum class Dither {
  // Each colour takes its nearest palette colour.
  kNone,
  // Each pixel's error goes on to its neighbours not yet mapped, in OKLab,
  // rows taken in turn left to right and right to left.
  kFloydSteinberg,
  // An 8×8 Bayer pattern mixes each colour's two nearest palette colours in
  // proportion to where it lies between them.
  kOrdered,
};

// "none", "floyd-steinberg", "ordered": the words the options take.
std::string_view DitherName(Dither dither);
std::optional<Dither> DitherFromName(std::string_view name);

}  // namespace sprite::colour
