#include "colour/dither.h"

#include <array>
#include <utility>

namespace sprite::colour {

namespace {

constexpr std::array<std::pair<Dither, std::string_view>, 3> kNames = {{
    {Dither::kNone, "none"},
    {Dither::kFloydSteinberg, "floyd-steinberg"},
    {Dither::kOrdered, "ordered"},
}};

}  // namespace

std::string_view DitherName(Dither dither) {
  for (const auto& [kind, name] : kNames) {
    if (kind == dither) {
      return name;
    }
  }
  return "none";
}

std::optional<Dither> DitherFromName(std::string_view name) {
  for (const auto& [kind, word] : kNames) {
    if (word == name) {
      return kind;
    }
  }
  return std::nullopt;
}

}  // namespace sprite::colour
