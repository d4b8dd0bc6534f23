#pragma once

#include <sys/types.h>

#include <vector>

#include "winsys/program_starter.h"

namespace sprite::winsys {

// Starts programs with posix_spawn: the path names the program file itself.
// Programs that have ended are reaped at the next start and at destruction, so
// none is left behind as a zombie for long; nothing ever waits for one.
class PosixProgramStarter : public ProgramStarter {
 public:
  PosixProgramStarter() = default;
  PosixProgramStarter(const PosixProgramStarter&) = delete;
  PosixProgramStarter& operator=(const PosixProgramStarter&) = delete;
  ~PosixProgramStarter() override;

  void StartProgram(const std::string& path) override;

 private:
  void ReapEnded();

  std::vector<pid_t> running_;
};

}  // namespace sprite::winsys
