#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "common/byte_io.h"
#include "files/file_system.h"
#include "formats/png_picture.h"
#include "pipeline/picture_source.h"
#include "pipeline/target_palette.h"

namespace sprite::pipeline {

// A PNG file is read whole, and refused past this size: twice what the
// largest picture the reader takes (PngLimits) needs at 16 bits a sample.
inline constexpr std::uint64_t kMaxPngFileBytes = std::uint64_t{1} << 28;

// PNG files the palette pass read whole, kept for their pixels so that a set
// of sprites is opened once rather than twice; at most kMostBytes together,
// so that memory stays bounded whatever the number of pictures.
class KeptFiles {
 public:
  static constexpr std::size_t kMostBytes = std::size_t{8} << 20;

  // Keeps `bytes` unless they would take the files kept past kMostBytes.
  void Keep(const std::string& path, Bytes bytes);
  // The bytes kept for `path`, given up.
  std::optional<Bytes> Take(const std::string& path);
  void Clear();

 private:
  std::unordered_map<std::string, Bytes> files_;
  std::size_t bytes_ = 0;
};

// Pictures from PNG files, stored against the run's target palette.
class PngFileSource : public PictureSource {
 public:
  // `targetPalette` gives the run's palette; it is asked for when a PNG
  // picture is first read, so that a run without any makes none.
  PngFileSource(files::FileSystem& files, std::function<PictureMapper&()> targetPalette)
      : files_(files), targetPalette_(std::move(targetPalette)) {}

  SourcePicture Read(const std::string& path) override;
  // The PNG picture in `file`, opened at `path`.
  SourcePicture ReadFrom(ByteSource& file, const std::string& path);
  // The PNG picture of the file at `path`, from the bytes the palette pass
  // kept of it; nothing when it kept none.
  std::optional<SourcePicture> ReadKept(const std::string& path);
  KeptFiles& Kept() { return kept_; }

 private:
  SourcePicture ReadBytes(ByteView file, const std::string& path);

  files::FileSystem& files_;
  std::function<PictureMapper&()> targetPalette_;
  KeptFiles kept_;
};

// Bitmaps and PNG pictures, told apart by their first bytes, whatever their names.
class PictureFileSource : public PictureSource {
 public:
  PictureFileSource(files::FileSystem& files, PngFileSource& pngs) : files_(files), pngs_(pngs) {}

  SourcePicture Read(const std::string& path) override;

 private:
  files::FileSystem& files_;
  PngFileSource& pngs_;
};

// The target palette of the PNG pictures among `paths` (files of other kinds
// are passed over), made from their palettes alone (PLTE and tRNS), without
// decoding any pixels: shared when they share one, else built as the mapper
// meets the colours. A file that cannot be read or whose start is damaged is
// left out, as reading it again will refuse it; with none left the palette is
// built. Files read whole are kept in `kept`, when given, as far as it takes them.
// Throws InvalidArgumentError for an alpha threshold outside 1 to 255.
PictureMapper TargetPaletteOf(files::FileSystem& files, std::span<const std::string> paths,
                              AlphaRule rule, KeptFiles* kept = nullptr);

}  // namespace sprite::pipeline
