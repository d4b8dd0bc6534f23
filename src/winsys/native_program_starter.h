#pragma once

#include <memory>

#include "winsys/program_starter.h"

namespace sprite::winsys {

// The program starter of the system the program runs on (sprite_winsys_native).
std::unique_ptr<ProgramStarter> MakeNativeProgramStarter();

}  // namespace sprite::winsys
