#include "pipeline/palette_pass.h"

#include <optional>
#include <vector>

#include "common/error.h"
#include "formats/png_picture.h"
#include "pipeline/palette_reads.h"

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

// Past this many files the pass reads them on two threads.
constexpr std::size_t kFilesSplitFrom = 64;

// Whether the pass goes on: no picture added yet, or all of them share one palette.
bool Unsettled(const TargetPaletteBuilder& builder) {
  return builder.Count() == 0 || builder.Shared();
}

// Adds the files of `rest` from `from` to `to` as far as the pass goes on.
void AddFiles(TargetPaletteBuilder& builder, files::FileSystem& files,
              std::span<const std::string> rest, std::size_t restIndex, std::size_t from,
              std::size_t to, KeptFiles& kept) {
  for (std::size_t i = from; i < to && Unsettled(builder); ++i) {
    if (const auto colours = ColoursAt(files, rest[i], restIndex + i, &kept)) {
      builder.AddPalette(*colours);
    }
  }
}

// Adds the colours read as reading them one after another would have.
void AddRead(TargetPaletteBuilder& builder, const ColoursRead& read) {
  for (const ColoursRead::Run& run : read.runs) {
    for (std::size_t n = 0; n < run.files && Unsettled(builder); ++n) {
      builder.AddPalette(run.colours);
    }
  }
}

}  // namespace

PictureMapper TargetPaletteOf(files::FileSystem& files, ByteView first,
                              std::span<const std::string> rest, std::size_t restIndex,
                              AlphaRule rule, KeptFiles& kept) {
  TargetPaletteBuilder builder(rule);
  try {
    if (const auto colours = formats::ReadPngColours(first)) {
      builder.AddPalette(*colours);
    }
  } catch (const FaultError&) {
    // A damaged start: the picture is left out.
  }
  // One picture that shares nothing settles it: the palette is built.
  std::size_t i = 0;
  if (rest.size() >= kFilesSplitFrom && Unsettled(builder)) {
    const std::size_t split = rest.size() / 2;
    const auto [before, after] = ReadColoursInTwo(files, rest, restIndex, split, kept);
    AddRead(builder, before);
    AddFiles(builder, files, rest, restIndex, before.filesRead, split, kept);
    AddRead(builder, after);
    i = split + after.filesRead;
  }
  AddFiles(builder, files, rest, restIndex, i, rest.size(), kept);
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
