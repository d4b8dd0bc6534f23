#pragma once

#include "common/bytes.h"
#include "winsys/window_system.h"

namespace sprite::about {

// The bitmap file shown in picIcon (art/about_picture.bmp), compiled into the
// program so that the About box needs no file beside it.
ByteView AboutPictureFile();

// An 8-bit, 256-colour bitmap file with bottom-up rows as a picture, read by
// the bitmap reader the Encode command uses: every pixel looked up in the
// palette, top row first. Throws FaultError for a file the reader refuses, or
// (kRowsNotWhole) one whose height is 0 or less or whose pixel area holds
// fewer than its rows.
winsys::Picture PictureFromBitmap(ByteView file);

}  // namespace sprite::about
