#include "app/window_options.h"

#include <charconv>

namespace sprite::app {
namespace {

constexpr char kDecodeToPng[] = "DecodeToPng";
constexpr char kTargetPalette[] = "TargetPalette";
constexpr char kAlphaThreshold[] = "AlphaThreshold";
constexpr char kDither[] = "Dither";
constexpr char kColours[] = "Colours";

// A whole number from `low` to `high` between spaces; `blank` for none.
std::optional<int> ParseWhole(const std::string& text, int low, int high,
                              std::optional<int> blank) {
  const std::size_t first = text.find_first_not_of(' ');
  const std::size_t last = text.find_last_not_of(' ');
  if (first == std::string::npos) {
    return blank;
  }
  int value = 0;
  const char* end = text.data() + last + 1;
  const auto [stop, error] = std::from_chars(text.data() + first, end, value);
  if (error != std::errc() || stop != end || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<int> ParseAlphaThreshold(const std::string& text) {
  return ParseWhole(text, 1, 255, std::nullopt);
}

std::optional<std::uint32_t> ParseColourCount(const std::string& text) {
  const auto count = ParseWhole(text, 0, 255, 0);
  return count ? std::optional(static_cast<std::uint32_t>(*count)) : std::nullopt;
}

WindowOptions WindowOptions::Load(const winsys::SettingsStore& settings) {
  WindowOptions options;
  options.decodeToPng = settings.Read(kDecodeToPng) == "1";
  options.targetPalette = settings.Read(kTargetPalette).value_or("");
  options.alphaThreshold = ParseAlphaThreshold(settings.Read(kAlphaThreshold).value_or(""));
  options.dither =
      colour::DitherFromName(settings.Read(kDither).value_or("")).value_or(colour::Dither::kNone);
  options.colours = ParseColourCount(settings.Read(kColours).value_or("")).value_or(0);
  return options;
}

void WindowOptions::Save(winsys::SettingsStore& settings) const {
  settings.Write(kDecodeToPng, decodeToPng ? "1" : "0");
  settings.Write(kTargetPalette, targetPalette);
  settings.Write(kAlphaThreshold, alphaThreshold ? std::to_string(*alphaThreshold) : "");
  settings.Write(kDither, std::string(colour::DitherName(dither)));
  settings.Write(kColours, std::to_string(colours));
}

pipeline::EncodeOptions WindowOptions::ForEncode() const {
  pipeline::EncodeOptions options;
  options.mapping = {.paletteFile = targetPalette,
                     .colours = targetPalette.empty() ? colours : 0,
                     .dither = dither};
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
