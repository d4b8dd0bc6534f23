// The window's Options: how Decode writes pictures and how Encode stores PNG
// pictures, kept between runs in the window system's settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "colour/dither.h"

#include "pipeline/decode_run.h"
#include "pipeline/encode_run.h"
#include "winsys/settings_store.h"

namespace sprite::app {

struct WindowOptions {
  // Decode writes 8-bit indexed PNG pictures, as decode --png does.
  bool decodeToPng = false;
  // The palette file PNG pictures are stored with, as encode --palette; empty: none.
  std::string targetPalette;
  // Alpha below it is see-through, as encode --alpha-threshold; none: partly
  // see-through pixels are refused.
  std::optional<int> alphaThreshold;
  // How colours take a palette's, as encode --dither.
  colour::Dither dither = colour::Dither::kNone;
  // A palette of at most this many colours chosen from the PNG pictures, as
  // encode --colours; 0: none. A target palette given wins over it.
  std::uint32_t colours = 0;

  // What was kept; a value that was not kept, or is not one this window
  // writes, leaves its default.
  static WindowOptions Load(const winsys::SettingsStore& settings);
  void Save(winsys::SettingsStore& settings) const;

  pipeline::EncodeOptions ForEncode() const;
  pipeline::DecodeOptions ForDecode() const;
};

// A threshold as the user types it, 1 to 255; nothing for anything else.
std::optional<int> ParseAlphaThreshold(const std::string& text);
// A count of colours as the user types it, 0 to 255, blank for 0; nothing
// for anything else.
std::optional<std::uint32_t> ParseColourCount(const std::string& text);

}  // namespace sprite::app
