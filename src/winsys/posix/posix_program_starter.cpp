#include "winsys/posix/posix_program_starter.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "common/error.h"
#include "winsys/native_program_starter.h"

extern char** environ;

namespace sprite::winsys {

PosixProgramStarter::~PosixProgramStarter() {
  ReapEnded();
}

void PosixProgramStarter::StartProgram(const std::string& path) {
  ReapEnded();
  if (path.empty()) {
    throw FaultError({.kind = FaultKind::kNoFileName});
  }
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  pid_t child = 0;
  // glibc reports a program that cannot be executed here, not in the child.
  const int error = ::posix_spawn(&child, path.c_str(), nullptr, nullptr, argv, environ);
  if (error != 0) {
    throw FaultError({.kind = FaultKind::kCannotStart, .path = path, .text = std::strerror(error)});
  }
  running_.push_back(child);
}

void PosixProgramStarter::ReapEnded() {
  std::erase_if(running_, [](pid_t child) { return ::waitpid(child, nullptr, WNOHANG) != 0; });
}

std::unique_ptr<ProgramStarter> MakeNativeProgramStarter() {
  return std::make_unique<PosixProgramStarter>();
}

}  // namespace sprite::winsys
