#pragma once

#include "winsys/program_starter.h"

namespace sprite::winsys::win32 {

// Starts programs with CreateProcessW: the path names the program file itself.
// The handles of the new process are closed at once; nothing waits for it.
class Win32ProgramStarter : public ProgramStarter {
 public:
  void StartProgram(const std::string& path) override;
};

}  // namespace sprite::winsys::win32
