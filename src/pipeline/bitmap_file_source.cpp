#include "pipeline/bitmap_file_source.h"

#include "common/error.h"
#include "formats/bitmap.h"

namespace sprite::pipeline {

formats::StoredPicture BitmapFileSource::Read(const std::string& path) {
  try {
    const auto file = files_.OpenForReading(path);
    return formats::ReadBitmapPicture(*file);
  } catch (FaultError& error) {
    // The bitmap reader knows bytes, not names.
    error.SetPath(path);
    throw;
  }
}

}  // namespace sprite::pipeline
