// A palette chosen from a run's PNG pictures (encode --colours), and the
// pictures that bring most colours of their own to a run that has too many.
// Both count the pictures' opaque pixels in one histogram, so memory is that
// of the histogram and of one picture, whatever the number of pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "files/file_system.h"
#include "formats/png_picture.h"
#include "pipeline/colour_mapping.h"
#include "pipeline/palette_pass.h"
#include "pipeline/palette_rules.h"
#include "pipeline/picture_mapper.h"

namespace sprite::pipeline {

// The palette of at most `mapping.colours` opaque colours (past the
// see-through black of index 0) that keeps the OKLab error of the pictures
// small: of `first`, the first PNG picture, of list index `firstIndex`, and of
// the PNG files at `rest`, the paths after it. A file that cannot be read or
// decoded, or a picture the alpha rule refuses, is left out, as storing it
// will refuse it. The files read whole go to `kept` as far as it takes them.
// What the run logs of the palette goes to `notes`. `stopping` is asked
// before each file; a stop throws CancelledError. The files are read within `limits`.
PictureMapper ChosenPalette(files::FileSystem& files, const formats::PngPicture& first,
                            std::size_t firstIndex, std::span<const std::string> rest,
                            AlphaRule rule, const ColourMapping& mapping, KeptFiles& kept,
                            std::vector<std::string>& notes, const std::function<bool()>& stopping,
                            const formats::PngLimits& limits = {});

// The three PNG pictures of `paths` with the most colours no other picture
// has, as a refusal names them: "a.png" 2100, "b.png" 900, "c.png" 12. A
// second pass over every picture: `shouldStop` is asked before each, and a
// stop throws CancelledError.
std::string MostOwnColours(files::FileSystem& files, std::span<const std::string> paths,
                           AlphaRule rule, const std::function<bool()>& shouldStop);

}  // namespace sprite::pipeline
