// What every backend checks of a picture it is handed to show.
#pragma once

#include "winsys/window_system.h"

namespace sprite::winsys {

// InvalidArgumentError for a picture with a negative side, or whose bytes are
// not 3 for each of its pixels.
void CheckPictureBytes(const Picture& picture);

}  // namespace sprite::winsys
