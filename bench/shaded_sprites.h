// True-colour sprites as today's editors draw them, made the same way on every
// run: lit spheres with a highlight, rounded boxes in two-colour gradients and
// striped gems, 32 to 64 pixels a side, each outlined in a dark colour its
// edge is smoothed into, on a see-through ground (alpha 0 or 255 only).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace bench {

struct RgbaSprite {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;
};

struct Shade {
  double r = 0, g = 0, b = 0;
};

inline Shade Mix(const Shade& x, const Shade& y, double t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t};
}

inline RgbaSprite ShadedSprite(std::mt19937& random) {
  const auto unit = [&] { return static_cast<double>(random() % 10000) / 10000.0; };
  RgbaSprite s;
  s.width = static_cast<std::uint32_t>(32 + random() % 33);
  s.height = static_cast<std::uint32_t>(32 + random() % 33);
  s.rgba.assign(std::size_t{4} * s.width * s.height, 0);
  const auto kind = static_cast<unsigned>(random() % 3);
  const Shade base{40 + 215 * unit(), 40 + 215 * unit(), 40 + 215 * unit()};
  const Shade second{255 * unit(), 255 * unit(), 255 * unit()};
  const Shade outline{20 * unit(), 15 * unit(), 30 * unit()};
  const double cx = s.width / 2.0, cy = s.height / 2.0;
  const double radius = std::min(cx, cy) - 1.5;
  const double lightX = -0.4 - 0.3 * unit(), lightY = -0.5 - 0.3 * unit();
  const double lightZ = std::sqrt(std::max(0.0, 1 - lightX * lightX - lightY * lightY));
  for (std::uint32_t y = 0; y < s.height; ++y) {
    for (std::uint32_t x = 0; x < s.width; ++x) {
      const double dx = (x + 0.5 - cx) / radius, dy = (y + 0.5 - cy) / radius;
      // Distance outside the shape's edge, in pixels: negative inside.
      double outside = 0;
      Shade colour;
      if (kind == 0) {
        outside = (std::sqrt(dx * dx + dy * dy) - 1) * radius;
        const double dz = std::sqrt(std::max(0.0, 1 - dx * dx - dy * dy));
        const double lit = std::max(0.0, dx * lightX + dy * lightY + dz * lightZ);
        const double highlight = std::pow(lit, 24);
        colour = Mix(Mix({0, 0, 0}, base, 0.2 + 0.8 * lit), {255, 255, 255}, highlight);
      } else if (kind == 1) {
        const double box = std::max(std::abs(dx), std::abs(dy) * 1.2);
        outside = (box - 0.95) * radius;
        colour = Mix(base, second, std::clamp(0.5 + 0.5 * dy + 0.15 * dx, 0.0, 1.0));
      } else {
        outside = (std::abs(dx) + std::abs(dy) - 1) * radius;
        const double stripe = 0.5 + 0.5 * std::sin((dx + dy) * 9);
        colour = Mix(Mix(base, second, stripe), {0, 0, 0}, std::clamp(0.3 + 0.4 * dy, 0.0, 1.0));
      }
      // One pixel of outline, smoothed into the inside and the ground.
      if (outside > 1.5) {
        continue;
      }
      const double inner = std::clamp(-outside + 0.5, 0.0, 1.0);
      colour = Mix(outline, colour, inner);
      std::uint8_t* p = s.rgba.data() + 4 * (std::size_t{y} * s.width + x);
      p[0] = static_cast<std::uint8_t>(std::clamp(colour.r, 0.0, 255.0) + 0.5);
      p[1] = static_cast<std::uint8_t>(std::clamp(colour.g, 0.0, 255.0) + 0.5);
      p[2] = static_cast<std::uint8_t>(std::clamp(colour.b, 0.0, 255.0) + 0.5);
      p[3] = 255;
    }
  }
  return s;
}

inline std::vector<RgbaSprite> ShadedSprites(std::size_t count) {
  std::mt19937 random(30);
  std::vector<RgbaSprite> sprites;
  for (std::size_t i = 0; i < count; ++i) {
    sprites.push_back(ShadedSprite(random));
  }
  return sprites;
}

}  // namespace bench
