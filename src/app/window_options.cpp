#include "app/window_options.h"

#include <charconv>

namespace sprite::app {
namespace {

constexpr char kDecodeToPng[] = "DecodeToPng";
constexpr char kTargetPalette[] = "TargetPalette";
constexpr char kAlphaThreshold[] = "AlphaThreshold";

}  // namespace

std::optional<int> ParseAlphaThreshold(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t last = text.find_last_not_of(' ');
  if (first == std::string::npos) {
    return std::nullopt;
  }
  int value = 0;
  const char* end = text.data() + last + 1;
  const auto [stop, error] = std::from_chars(text.data() + first, end, value);
  if (error != std::errc() || stop != end || value < 1 || value > 255) {
    return std::nullopt;
  }
  return value;
}

WindowOptions WindowOptions::Load(const winsys::SettingsStore& settings) {
  WindowOptions options;
  options.decodeToPng = settings.Read(kDecodeToPng) == "1";
  options.targetPalette = settings.Read(kTargetPalette).value_or("");
  options.alphaThreshold = ParseAlphaThreshold(settings.Read(kAlphaThreshold).value_or(""));
  return options;
}

void WindowOptions::Save(winsys::SettingsStore& settings) const {
  settings.Write(kDecodeToPng, decodeToPng ? "1" : "0");
  settings.Write(kTargetPalette, targetPalette);
  settings.Write(kAlphaThreshold, alphaThreshold ? std::to_string(*alphaThreshold) : "");
}

pipeline::EncodeOptions WindowOptions::ForEncode() const {
  pipeline::EncodeOptions options;
  options.mapping.paletteFile = targetPalette;
  options.alpha.threshold = alphaThreshold;
  // A refused picture's advice names the window's menu items, not sprite-cli's options.
  options.optionWords = OptionWords::kMenu;
  return options;
}

pipeline::DecodeOptions WindowOptions::ForDecode() const {
  pipeline::DecodeOptions options;
  options.png = decodeToPng;
  return options;
}

}  // namespace sprite::app
