// Where the Encode run gets its pictures: a file, read into the form an
// archive entry stores.
#pragma once

#include <string>

#include "formats/stored_picture.h"

namespace sprite::pipeline {

class PictureSource {
 public:
  virtual ~PictureSource() = default;
  // The picture at `path`, its palette in archive order. Throws FaultError
  // (with the path) for a file that cannot be read or stored.
  virtual formats::StoredPicture Read(const std::string& path) = 0;
};

}  // namespace sprite::pipeline
