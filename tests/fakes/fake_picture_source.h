#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/error.h"
#include "pipeline/picture_source.h"

namespace sprite::fakes {

// Pictures by path, from memory: a path not given throws kNoSuchFile, one
// given a fault throws it. Records every path read and runs `beforeRead`
// first, for a test that looks at its caller at that moment.
class FakePictureSource : public pipeline::PictureSource {
 public:
  pipeline::SourcePicture Read(const std::string& path) override {
    reads.push_back(path);
    if (beforeRead) {
      beforeRead(path);
    }
    if (const auto fault = faults.find(path); fault != faults.end()) {
      Fault withPath = fault->second;
      withPath.path = path;
      throw FaultError(withPath);
    }
    const auto picture = pictures.find(path);
    if (picture == pictures.end()) {
      throw FaultError({.kind = FaultKind::kNoSuchFile, .path = path});
    }
    return {picture->second};
  }

  std::map<std::string, formats::StoredPicture> pictures;
  std::map<std::string, Fault> faults;
  std::vector<std::string> reads;
  std::function<void(const std::string&)> beforeRead;
};

// A picture of `width` x `height` indexes made by `index(x, y)`, y = 0 at the
// top, palette entry i coloured (i, 255 - i, i / 2) in archive order. A
// negative height stores the rows bottom row first, as a top-down bitmap's.
inline formats::StoredPicture MakeStoredPicture(
    std::int32_t width, std::int32_t height,
    const std::function<std::uint8_t(std::int32_t, std::int32_t)>& index) {
  formats::StoredPicture picture;
  picture.width = width;
  picture.height = height;
  picture.palette.resize(1024);
  for (int i = 0; i < 256; ++i) {
    picture.palette[static_cast<std::size_t>(i) * 4] = static_cast<std::uint8_t>(i);
    picture.palette[static_cast<std::size_t>(i) * 4 + 1] = static_cast<std::uint8_t>(255 - i);
    picture.palette[static_cast<std::size_t>(i) * 4 + 2] = static_cast<std::uint8_t>(i / 2);
  }
  const std::int32_t rows = height < 0 ? -height : height;
  for (std::int32_t row = 0; row < rows; ++row) {
    const std::int32_t y = height < 0 ? rows - 1 - row : row;
    for (std::int32_t x = 0; x < width; ++x) {
      picture.storedRows.push_back(index(x, y));
    }
  }
  return picture;
}

}  // namespace sprite::fakes
