#pragma once

#include "common/byte_io.h"
#include "files/file_system.h"
#include "pipeline/picture_source.h"

namespace sprite::pipeline {

// Pictures from 8-bit, 256-colour bitmap files.
class BitmapFileSource : public PictureSource {
 public:
  explicit BitmapFileSource(files::FileSystem& files) : files_(files) {}

  SourcePicture Read(const std::string& path) override;
  // The bitmap in `file`, opened at `path`.
  static SourcePicture ReadFrom(ByteSource& file, const std::string& path);

 private:
  files::FileSystem& files_;
};

}  // namespace sprite::pipeline
