// The resources both Windows programs carry (programs/win32/sprite.rc.in),
// by the ids the resource script and the backend share. Macros, as the
// resource compiler reads nothing else.
#pragma once

// The program icon: the windows' own and the picture window's.
#define SPRITE_PROGRAM_ICON 1
