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

void KeptFiles::Keep(const std::string& path, Bytes bytes) {
  if (bytes.size() > kMostBytes - bytes_ || files_.contains(path)) {
    return;
  }
  bytes_ += bytes.size();
  files_.emplace(path, std::move(bytes));
}

std::optional<Bytes> KeptFiles::Take(const std::string& path) {
  auto found = files_.find(path);
  if (found == files_.end()) {
    return std::nullopt;
  }
  Bytes bytes = std::move(found->second);
  files_.erase(found);
  bytes_ -= bytes.size();
  return bytes;
}

void KeptFiles::Clear() {
  files_.clear();
  bytes_ = 0;
}

SourcePicture PngFileSource::Read(const std::string& path) {
  if (auto picture = ReadKept(path)) {
    return std::move(*picture);
  }
  return files::UseFile(files_, path, [&](ByteSource& file) { return ReadFrom(file, path); });
}

SourcePicture PngFileSource::ReadFrom(ByteSource& file, const std::string& path) {
  return ReadBytes(files::ReadWhole(file, kMaxPngFileBytes), path);
}

std::optional<SourcePicture> PngFileSource::ReadKept(const std::string& path) {
  if (auto bytes = kept_.Take(path)) {
    return ReadBytes(*bytes, path);
  }
  return std::nullopt;
}

SourcePicture PngFileSource::ReadBytes(ByteView file, const std::string& path) {
  formats::PngPicture picture;
  try {
    picture = formats::ReadPng(file);
  } catch (FaultError& error) {
    error.SetPath(path);
    throw;
  }
  PictureMapper& mapper = targetPalette_();
  const std::uint32_t width = picture.width;
  const std::uint32_t height = picture.height;
  const std::optional<formats::EntryShape> shape = picture.entryShape;
  MappedPicture mapped = mapper.Map(path, std::move(picture));
  formats::EntryRows entry = formats::EntryOfPicture(height, std::move(mapped.image.pixels), shape);
  return {{.width = static_cast<std::int32_t>(width),
           .height = entry.heightField,
           .palette = mapper.Palette(),
           .storedRows = std::move(entry.storedRows),
           .rowsWhole = true},
          true,
          mapped.changedPixels};
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

std::optional<formats::PngColours> ColoursOf(files::FileSystem& files, const std::string& path,
                                             KeptFiles* kept) {
  try {
    const auto file = files.OpenForReading(path);
    if (!StartsAsPng(*file)) {
      return std::nullopt;
    }
    Bytes start(static_cast<std::size_t>(std::min<std::uint64_t>(file->Size(), kColoursPrefix)));
    file->ReadAt(0, start);
    if (auto colours = formats::ReadPngColours(start)) {
      if (kept && start.size() == file->Size()) {
        kept->Keep(path, std::move(start));
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
                              AlphaRule rule, KeptFiles* kept) {
  TargetPaletteBuilder builder(rule);
  for (const std::string& path : paths) {
    if (const auto colours = ColoursOf(files, path, kept)) {
      builder.AddPalette(*colours);
      // One picture that shares nothing settles it: the palette is built.
      if (!builder.Shared()) {
        break;
      }
    }
  }
  return builder.Count() == 0 ? PictureMapper::Building(rule) : builder.Finish();
}

}  // namespace sprite::pipeline
