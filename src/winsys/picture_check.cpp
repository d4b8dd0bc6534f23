#include "winsys/picture_check.h"

#include <string>

#include "common/error.h"

namespace sprite::winsys {

void CheckPictureBytes(const Picture& picture) {
  const bool sizeKnown = picture.width >= 0 && picture.height >= 0;
  if (!sizeKnown || picture.rgb.size() != static_cast<std::size_t>(picture.width) *
                                              static_cast<std::size_t>(picture.height) * 3) {
    throw InvalidArgumentError("picture of " + std::to_string(picture.width) + " x " +
                               std::to_string(picture.height) + " pixels holds " +
                               std::to_string(picture.rgb.size()) + " bytes, not 3 per pixel");
  }
}

}  // namespace sprite::winsys
