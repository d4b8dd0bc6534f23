#include "pipeline/chosen_palette.h"

#include <optional>

#include "colour/colour_histogram.h"
#include "colour/quantiser.h"
#include "common/error.h"
#include "common/text.h"
#include "files/whole_file.h"
#include "pipeline/picture_file.h"

namespace sprite::pipeline {

namespace {

// Counts the opaque pixels of pictures numbered by their list index.
class RunColours {
 public:
  explicit RunColours(AlphaRule rule, formats::PngLimits limits = {})
      : rule_(rule), limits_(limits) {}

  void Add(std::size_t index, const formats::PngPicture& picture) {
    try {
      CheckAlphas(rule_, "", picture);
    } catch (const FaultError&) {
      return;
    }
    histogram_.AddPixels(static_cast<std::uint32_t>(index), RgbaPixels(picture), OpaqueFrom(rule_));
    ++counted_;
  }

  // The PNG picture at `path`; its file goes to `kept` when one is given.
  void AddFile(files::FileSystem& files, const std::string& path, std::size_t index,
               KeptFiles* kept) {
    try {
      std::optional<Bytes> file = files::UseFile(files, path, [](ByteSource& source) {
        return StartsAsPng(source) ? std::optional(files::ReadWhole(source, kMaxPngFileBytes))
                                   : std::nullopt;
      });
      if (!file) {
        return;
      }
      Add(index, formats::ReadPng(*file, limits_));
      if (kept) {
        kept->Keep(index, std::move(*file));
      }
    } catch (const FaultError&) {
      // Left out: storing the picture will say what is wrong with it.
    }
  }

  const colour::ColourHistogram& Histogram() const { return histogram_; }
  std::size_t Counted() const { return counted_; }

 private:
  AlphaRule rule_;
  formats::PngLimits limits_;
  colour::ColourHistogram histogram_;
  std::size_t counted_ = 0;
};

}  // namespace

PictureMapper ChosenPalette(files::FileSystem& files, const formats::PngPicture& first,
                            std::size_t firstIndex, std::span<const std::string> rest,
                            AlphaRule rule, const ColourMapping& mapping, KeptFiles& kept,
                            std::vector<std::string>& notes, const std::function<bool()>& stopping,
                            const formats::PngLimits& limits) {
  RunColours run(rule, limits);
  run.Add(firstIndex, first);
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (stopping()) {
      throw CancelledError();
    }
    run.AddFile(files, rest[i], firstIndex + 1 + i, &kept);
  }
  const colour::ColourHistogram& histogram = run.Histogram();
  const std::vector<colour::Rgb> chosen = colour::Quantise(histogram, mapping.colours);
  if (chosen.empty()) {
    // Pictures left out say why when they are stored; of them nothing is known.
    if (run.Counted() > 0) {
      notes.push_back("PNG palette: the pictures have no opaque pixel; every pixel is see-through");
    }
    return PictureMapper::Built({}, false, rule);
  }
  const std::string met = histogram.DroppedBits() > 0
                              ? "more than " + std::to_string(colour::ColourHistogram::kMostBins)
                              : std::to_string(histogram.Colours());
  notes.push_back("PNG palette: " + Counted(chosen.size(), "opaque colour", "opaque colours") +
                  " chosen from the pictures' " + met);
  return PictureMapper::ForChosenColours(chosen, rule, mapping.dither);
}

std::string MostOwnColours(files::FileSystem& files, std::span<const std::string> paths,
                           AlphaRule rule, const std::function<bool()>& shouldStop) {
  RunColours run(rule);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (shouldStop()) {
      throw CancelledError();
    }
    run.AddFile(files, paths[i], i, nullptr);
  }
  std::string text;
  for (const auto& own : run.Histogram().MostOwnColours(3)) {
    if (own.colours > 0) {
      text += (text.empty() ? "" : ", ") + Quoted(paths[own.picture]) + " " +
              std::to_string(own.colours);
    }
  }
  return text;
}

}  // namespace sprite::pipeline
