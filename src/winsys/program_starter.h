#pragma once

#include <string>

namespace sprite::winsys {

// Starts other programs.
class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  // Starts the program at `path`, its window shown normally with the focus, and
  // returns without waiting for it. Throws FaultError when it cannot be started.
  virtual void StartProgram(const std::string& path) = 0;
};

}  // namespace sprite::winsys
