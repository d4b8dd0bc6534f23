#pragma once

#include "common/bytes.h"
#include "winsys/window_system.h"

namespace sprite::about {

// The bitmap file shown in picIcon (art/about_picture.bmp), compiled into the
// program so that the About box needs no file beside it.
ByteView AboutPictureFile();

// An 8-bit, 256-colour bitmap file with bottom-up rows as a picture: every
// pixel looked up in the palette, top row first. Throws FormatError for a file
// the bitmap reader rejects, a height of 0 or less, or too few pixel bytes.
winsys::Picture PictureFromBitmap(ByteView file);

}  // namespace sprite::about
