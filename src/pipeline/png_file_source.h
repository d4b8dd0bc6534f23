#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "common/byte_io.h"
#include "files/file_system.h"
#include "formats/png_picture.h"
#include "pipeline/picture_source.h"
#include "pipeline/png_read_ahead.h"
#include "pipeline/target_palette.h"

namespace sprite::pipeline {

// A PNG file is read whole, and refused past this size: twice what the
// largest picture the reader takes (PngLimits) needs at 16 bits a sample.
inline constexpr std::uint64_t kMaxPngFileBytes = std::uint64_t{1} << 28;

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
  // kept of it, decoded ahead; nothing when it kept none.
  std::optional<SourcePicture> ReadKept(const std::string& path);
  // Where the palette pass keeps files, decoded ahead until StopReadAhead.
  PngReadAhead& StartReadAhead();
  void StopReadAhead();
  // The read-ahead while there is one.
  PngReadAhead* ReadAhead() { return ahead_.get(); }

 private:
  SourcePicture Mapped(formats::PngPicture picture, const std::string& path);

  files::FileSystem& files_;
  std::function<PictureMapper&()> targetPalette_;
  std::unique_ptr<PngReadAhead> ahead_;
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
// built. Files read whole are kept in `kept`, when given, as far as it takes
// them; once the palette is settled the pass goes on only to keep files.
// `keptThrough`, when given, is set to the number of paths up to and with the
// last file kept. Throws InvalidArgumentError for an alpha threshold outside 1
// to 255.
PictureMapper TargetPaletteOf(files::FileSystem& files, std::span<const std::string> paths,
                              AlphaRule rule, PngReadAhead* kept = nullptr,
                              std::size_t* keptThrough = nullptr);

// What became of a file offered to the read-ahead for its pixels.
enum class Kept { kYes, kNoRoomNow, kNever };
// Keeps the PNG file at `path` in `ahead`, read whole, when there is room for
// a sprite's file; kNever for a file that is no PNG, cannot be read, or is
// larger than the room.
Kept KeepForPixels(files::FileSystem& files, const std::string& path, PngReadAhead& ahead);

}  // namespace sprite::pipeline
