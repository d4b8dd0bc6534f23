#pragma once

#include "files/file_system.h"
#include "pipeline/picture_source.h"

namespace sprite::pipeline {

// Pictures from 8-bit, 256-colour bitmap files.
class BitmapFileSource : public PictureSource {
 public:
  explicit BitmapFileSource(files::FileSystem& files) : files_(files) {}

  formats::StoredPicture Read(const std::string& path) override;

 private:
  files::FileSystem& files_;
};

}  // namespace sprite::pipeline
