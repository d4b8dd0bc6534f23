// The message for a picture width without rows, and the check that throws it.
#include "codec/picture_width.h"

#include "common/error.h"

namespace sprite::codec {

std::string WidthWithoutRows(std::string_view subject, std::int32_t width) {
  return std::string(subject) + " is " + std::to_string(width) +
         "; a picture needs a width of at least 1 pixel";
}

void CheckWidth(std::int32_t width) {
  if (!HasRows(width)) {
    throw InvalidArgumentError(WidthWithoutRows("the width", width));
  }
}

}  // namespace sprite::codec
