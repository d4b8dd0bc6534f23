// A listed picture file, a PNG picture or a bitmap told apart by its first
// bytes, made into the picture an archive entry stores.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/byte_io.h"
#include "files/file_system.h"
#include "formats/png_picture.h"
#include "pipeline/picture_source.h"
#include "pipeline/target_palette.h"

namespace sprite::pipeline {

// A PNG file is read whole, and refused past this size: twice what the
// largest picture the reader takes (PngLimits) needs at 16 bits a sample.
inline constexpr std::uint64_t kMaxPngFileBytes = std::uint64_t{1} << 28;

// Whether `file` begins with the PNG signature, whatever its name.
bool StartsAsPng(ByteSource& file);

// The PNG picture of the file at `path` in the target palette of `mapper`,
// with what the archive shows otherwise than the picture. Throws FaultError
// as PictureMapper::Map does.
SourcePicture MapPng(formats::PngPicture picture, const std::string& path, PictureMapper& mapper);

// Listed picture files as an Encode of each one alone reads them, for the
// viewer: a bitmap as it is, a PNG picture in its own colours under the alpha
// rule that `rule` gives at the time of the read.
class PictureFileSource : public PictureSource {
 public:
  PictureFileSource(files::FileSystem& files, std::function<AlphaRule()> rule)
      : files_(files), rule_(std::move(rule)) {}

  SourcePicture Read(const std::string& path) override;

 private:
  files::FileSystem& files_;
  std::function<AlphaRule()> rule_;
};

}  // namespace sprite::pipeline
