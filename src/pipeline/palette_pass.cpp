#include "pipeline/palette_pass.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "common/error.h"
#include "files/whole_file.h"
#include "formats/png_picture.h"
#include "pipeline/picture_file.h"

namespace sprite::pipeline {

void KeptFiles::Keep(std::size_t index, Bytes file) {
  if (Takes(file.size())) {
    bytes_ += file.size();
    files_.emplace_back(index, std::move(file));
  }
}

std::optional<Bytes> KeptFiles::Take(std::size_t index) {
  while (!files_.empty() && files_.front().first <= index) {
    auto [keptIndex, file] = std::move(files_.front());
    files_.pop_front();
    bytes_ -= file.size();
    if (keptIndex == index) {
      return std::move(file);
    }
  }
  return std::nullopt;
}

namespace {

// PLTE and tRNS come before the image data, and in a sprite within its first bytes.
constexpr std::size_t kColoursPrefix = 64 * 1024;

// The colours of the PNG file `file`; nothing when it says too little of them.
std::optional<formats::PngColours> ColoursIn(ByteView file) {
  try {
    return formats::ReadPngColours(file);
  } catch (const FaultError&) {
    return std::nullopt;
  }
}

// The colours of the PNG file at `path`, list index `index`; nothing for
// another file or one that cannot be read. A file read whole goes to `kept`.
std::optional<formats::PngColours> ColoursOf(files::FileSystem& files, const std::string& path,
                                             std::size_t index, KeptFiles& kept) {
  try {
    const auto file = files.OpenForReading(path);
    if (!StartsAsPng(*file)) {
      return std::nullopt;
    }
    Bytes start(static_cast<std::size_t>(std::min<std::uint64_t>(file->Size(), kColoursPrefix)));
    file->ReadAt(0, start);
    if (auto colours = formats::ReadPngColours(start)) {
      if (start.size() == file->Size()) {
        kept.Keep(index, std::move(start));
      }
      return colours;
    }
    return formats::ReadPngColours(files::ReadWhole(*file, kMaxPngFileBytes));
  } catch (const FaultError&) {
    return std::nullopt;
  }
}

}  // namespace

PictureMapper TargetPaletteOf(files::FileSystem& files, ByteView first,
                              std::span<const std::string> rest, std::size_t restIndex,
                              AlphaRule rule, KeptFiles& kept) {
  TargetPaletteBuilder builder(rule);
  if (const auto colours = ColoursIn(first)) {
    builder.AddPalette(*colours);
  }
  // One picture that shares nothing settles it: the palette is built.
  for (std::size_t i = 0; i < rest.size() && (builder.Count() == 0 || builder.Shared()); ++i) {
    if (const auto colours = ColoursOf(files, rest[i], restIndex + i, kept)) {
      builder.AddPalette(*colours);
    }
  }
  return builder.Count() == 0 ? PictureMapper::Building(rule) : builder.Finish();
}

std::vector<std::string> PaletteNotes(const PictureMapper& mapper) {
  std::vector<std::string> notes;
  if (const auto k = mapper.SwappedIndex()) {
    notes.push_back("PNG palette: the see-through index " + std::to_string(*k) +
                    " and index 0 trade places");
  }
  if (const auto to = mapper.MovedIndex0(); to && !to->nearest) {
    notes.push_back("PNG palette: the opaque colour of index 0 moves to index " +
                    std::to_string(to->index));
  }
  return notes;
}

}  // namespace sprite::pipeline
