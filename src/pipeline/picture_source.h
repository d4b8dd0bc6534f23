// Where the Encode run gets its pictures: a file, read into the form an
// archive entry stores.
#pragma once

#include <cstdint>
#include <string>

#include "formats/stored_picture.h"

namespace sprite::pipeline {

struct SourcePicture {
  formats::StoredPicture stored;
  // Stored against the run's target palette (a PNG picture), not with a
  // palette of its own: `stored.palette` is that palette as far as it is made.
  bool onTargetPalette = false;
  // Opaque pixels that a given target palette has no exact entry for.
  std::uint64_t changedPixels = 0;
};

class PictureSource {
 public:
  virtual ~PictureSource() = default;
  // The picture at `path`, its palette in archive order. Throws FaultError
  // (with the path) for a file that cannot be read or stored.
  virtual SourcePicture Read(const std::string& path) = 0;
};

}  // namespace sprite::pipeline
