#include "pipeline/bitmap_file_source.h"

#include "common/error.h"
#include "files/whole_file.h"
#include "formats/bitmap.h"

namespace sprite::pipeline {

SourcePicture BitmapFileSource::Read(const std::string& path) {
  return files::UseFile(files_, path, [&](ByteSource& file) { return ReadFrom(file, path); });
}

SourcePicture BitmapFileSource::ReadFrom(ByteSource& file, const std::string& path) {
  try {
    return {formats::ReadBitmapPicture(file)};
  } catch (FaultError& error) {
    // The bitmap reader knows bytes, not names.
    error.SetPath(path);
    throw;
  }
}

}  // namespace sprite::pipeline
