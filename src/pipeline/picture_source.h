// Where the Encode run gets its pictures: a file, read into the form an
// archive entry stores.
#pragma once

#include <string>
#include <vector>

#include "common/fault.h"
#include "formats/stored_picture.h"

namespace sprite::pipeline {

struct SourcePicture {
  formats::StoredPicture stored;
  // Stored against the run's target palette (a PNG picture), not with a
  // palette of its own: `stored.palette` is that palette as far as it is made.
  bool onTargetPalette = false;
  // What the archive shows otherwise than the picture (pixels that took the
  // nearest colour, colours merged, an opaque colour see-through), said when
  // it is stored; without a path.
  std::vector<Fault> changes{};
};

class PictureSource {
 public:
  virtual ~PictureSource() = default;
  // The picture at `path`, its palette in archive order. Throws FaultError
  // (with the path) for a file that cannot be read or stored.
  virtual SourcePicture Read(const std::string& path) = 0;
};

}  // namespace sprite::pipeline
