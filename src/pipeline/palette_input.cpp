#include "pipeline/palette_input.h"

#include "files/whole_file.h"
#include "pipeline/picture_file.h"

namespace sprite::pipeline {

formats::PaletteFile ReadPaletteInput(files::FileSystem& files, const std::string& path) {
  return files::UseFile(files, path, [](ByteSource& file) {
    return formats::ReadPaletteFile(file, kMaxPngFileBytes);
  });
}

}  // namespace sprite::pipeline
