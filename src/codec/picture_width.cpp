#include "codec/picture_width.h"

#include "common/error.h"

namespace sprite::codec {

void CheckWidth(std::int32_t width) {
  if (!HasRows(width)) {
    throw FaultError({.kind = FaultKind::kWidthWithoutRows, .value = width});
  }
}

}  // namespace sprite::codec
