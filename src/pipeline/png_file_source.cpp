#include "pipeline/png_file_source.h"

#include <algorithm>
#include <optional>

#include "common/error.h"
#include "files/whole_file.h"
#include "pipeline/bitmap_file_source.h"

namespace sprite::pipeline {

namespace {

bool StartsAsPng(ByteSource& file) {
  if (file.Size() < formats::kPngSignature.size()) {
    return false;
  }
  std::array<std::uint8_t, formats::kPngSignature.size()> start{};
  file.ReadAt(0, start);
  return formats::IsPng(start);
}

}  // namespace

SourcePicture PngFileSource::Read(const std::string& path) {
  if (auto picture = ReadKept(path)) {
    return std::move(*picture);
  }
  return files::UseFile(files_, path, [&](ByteSource& file) { return ReadFrom(file, path); });
}

SourcePicture PngFileSource::ReadFrom(ByteSource& file, const std::string& path) {
  formats::PngPicture picture;
  try {
    picture = formats::ReadPng(files::ReadWhole(file, kMaxPngFileBytes));
  } catch (FaultError& error) {
    error.SetPath(path);
    throw;
  }
  return Mapped(std::move(picture), path);
}

std::optional<SourcePicture> PngFileSource::ReadKept(const std::string& path) {
  if (!ahead_) {
    return std::nullopt;
  }
  std::optional<formats::PngPicture> picture;
  try {
    picture = ahead_->Take(path);
  } catch (FaultError& error) {
    error.SetPath(path);
    throw;
  }
  if (!picture) {
    return std::nullopt;
  }
  return Mapped(std::move(*picture), path);
}

PngReadAhead& PngFileSource::StartReadAhead() {
  ahead_ = std::make_unique<PngReadAhead>();
  return *ahead_;
}

void PngFileSource::StopReadAhead() {
  ahead_.reset();
}

SourcePicture PngFileSource::Mapped(formats::PngPicture picture, const std::string& path) {
  PictureMapper& mapper = targetPalette_();
  const std::uint32_t width = picture.width;
  const std::uint32_t height = picture.height;
  const std::optional<formats::EntryShape> shape = picture.entryShape;
  std::vector<Fault> changes;
  if (picture.mergedColours > 0) {
    changes.push_back({.kind = FaultKind::kColoursMerged,
                       .value = static_cast<std::int64_t>(picture.mergedColours),
                       .bound = picture.mergedCountComplete ? 0 : 1});
  }
  const formats::PngColour zero =
      picture.palette.empty() ? formats::PngColour{} : picture.palette[0];
  MappedPicture mapped = mapper.Map(path, std::move(picture));
  if (mapped.changedPixels > 0) {
    changes.push_back({.kind = FaultKind::kColoursChanged,
                       .value = static_cast<std::int64_t>(mapped.changedPixels)});
  }
  if (mapped.opaqueIndex0 > 0) {
    // Colour 0 itself, or the nearest colour it took.
    const auto moved = mapper.MovedIndex0();
    const std::size_t at = moved ? 4 * std::size_t{moved->index} : 0;
    const Bytes& palette = mapper.Palette();
    const formats::PngColour shown =
        moved ? formats::PngColour{palette[at], palette[at + 1], palette[at + 2]} : zero;
    changes.push_back({.kind = moved ? FaultKind::kOpaqueIndex0Nearest : FaultKind::kOpaqueIndex0,
                       .value = static_cast<std::int64_t>(mapped.opaqueIndex0),
                       .bound = moved ? moved->index : 0,
                       .text = "(" + std::to_string(shown.red) + ", " +
                               std::to_string(shown.green) + ", " + std::to_string(shown.blue) +
                               ")"});
  }
  formats::EntryRows entry = formats::EntryOfPicture(height, std::move(mapped.image.pixels), shape);
  return {{.width = static_cast<std::int32_t>(width),
           .height = entry.heightField,
           .palette = mapper.Palette(),
           .storedRows = std::move(entry.storedRows),
           .rowsWhole = true},
          true,
          std::move(changes)};
}

SourcePicture PictureFileSource::Read(const std::string& path) {
  if (auto picture = pngs_.ReadKept(path)) {
    return std::move(*picture);
  }
  return files::UseFile(files_, path, [&](ByteSource& file) {
    return StartsAsPng(file) ? pngs_.ReadFrom(file, path) : BitmapFileSource::ReadFrom(file, path);
  });
}

namespace {

// PLTE and tRNS come before the image data, and in a sprite within its first bytes.
constexpr std::size_t kColoursPrefix = 64 * 1024;

// The colours of the PNG file at `path`; nothing for another file or one that
// cannot be read. `keptIt` tells whether `kept` took the whole file.
std::optional<formats::PngColours> ColoursOf(files::FileSystem& files, const std::string& path,
                                             PngReadAhead* kept, bool& keptIt) {
  keptIt = false;
  try {
    const auto file = files.OpenForReading(path);
    if (!StartsAsPng(*file)) {
      return std::nullopt;
    }
    Bytes start(static_cast<std::size_t>(std::min<std::uint64_t>(file->Size(), kColoursPrefix)));
    file->ReadAt(0, start);
    if (auto colours = formats::ReadPngColours(start)) {
      if (kept && start.size() == file->Size() && kept->Takes(start.size())) {
        kept->Keep(path, std::move(start));
        keptIt = true;
      }
      return colours;
    }
    return formats::ReadPngColours(files::ReadWhole(*file, kMaxPngFileBytes));
  } catch (const FaultError&) {
    return std::nullopt;
  }
}

}  // namespace

PictureMapper TargetPaletteOf(files::FileSystem& files, std::span<const std::string> paths,
                              AlphaRule rule, PngReadAhead* kept, std::size_t* keptThrough) {
  TargetPaletteBuilder builder(rule);
  bool settled = false;
  std::size_t passed = 0;
  if (keptThrough) {
    *keptThrough = 0;
  }
  for (const std::string& path : paths) {
    ++passed;
    bool keptIt = false;
    if (settled) {
      // The pass goes on only to keep files for their pixels, while the
      // files are PNG sprites it takes: a bitmap would be opened twice.
      if (!kept || !kept->Takes(kColoursPrefix) || !ColoursOf(files, path, kept, keptIt) ||
          !keptIt) {
        break;
      }
    } else if (const auto colours = ColoursOf(files, path, kept, keptIt)) {
      builder.AddPalette(*colours);
      // One picture that shares nothing settles it: the palette is built.
      settled = !builder.Shared();
    }
    if (keptIt && keptThrough) {
      *keptThrough = passed;
    }
  }
  return builder.Count() == 0 ? PictureMapper::Building(rule) : builder.Finish();
}

Kept KeepForPixels(files::FileSystem& files, const std::string& path, PngReadAhead& ahead) {
  if (!ahead.Takes(kColoursPrefix)) {
    return Kept::kNoRoomNow;
  }
  try {
    const auto file = files.OpenForReading(path);
    if (!StartsAsPng(*file) || !ahead.Takes(file->Size())) {
      return Kept::kNever;
    }
    Bytes bytes(static_cast<std::size_t>(file->Size()));
    file->ReadAt(0, bytes);
    ahead.Keep(path, std::move(bytes));
    return Kept::kYes;
  } catch (const FaultError&) {
    return Kept::kNever;  // reading it again will say why
  }
}

}  // namespace sprite::pipeline
