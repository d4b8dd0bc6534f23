// The colours of a run's listed PNG files for the palette pass, read by two
// threads: opening and reading a file costs far more than judging its colours.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "files/file_system.h"
#include "formats/png_picture.h"

namespace sprite::pipeline {

class KeptFiles;

// The colours of the PNG file at `path`, list index `index`; nothing for
// another file or one that cannot be read. A file read whole goes to `kept`,
// if any.
std::optional<formats::PngColours> ColoursAt(files::FileSystem& files, const std::string& path,
                                             std::size_t index, KeptFiles* kept);

// The colours of consecutive listed files, equal ones held once.
struct ColoursRead {
  struct Run {
    formats::PngColours colours;
    std::size_t files = 0;  // of those colours, one after another
  };
  std::vector<Run> runs;
  // The files read from the first on, some of them with no colours; reading
  // stops early at a file of a form no palette is shared with, or when
  // kMostRuns runs are held.
  std::size_t filesRead = 0;

  static constexpr std::size_t kMostRuns = 1024;
};

// The colours of the files at `paths`, of list indexes from `firstIndex`, as
// two reads: of those before `split`, on a second thread, which keeps the
// files it reads whole in `kept` as far as it takes them, and of those from
// it on, on this thread. The file system opens files on both at once.
std::pair<ColoursRead, ColoursRead> ReadColoursInTwo(files::FileSystem& files,
                                                     std::span<const std::string> paths,
                                                     std::size_t firstIndex, std::size_t split,
                                                     KeptFiles& kept);

}  // namespace sprite::pipeline
