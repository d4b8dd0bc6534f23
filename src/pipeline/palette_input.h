// A palette file named as a run's input: `encode --palette`, the palette command's.
#pragma once

#include <string>

#include "files/file_system.h"
#include "formats/palette_file.h"

namespace sprite::pipeline {

// The palette in the file at `path`, read as far as its kind needs: a text
// palette a line at a time, a PNG whole as a PNG picture is (at most
// kMaxPngFileBytes). Throws FaultError naming the path.
formats::PaletteFile ReadPaletteInput(files::FileSystem& files, const std::string& path);

}  // namespace sprite::pipeline
