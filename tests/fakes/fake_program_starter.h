#pragma once

#include <set>
#include <string>
#include <vector>

#include "common/error.h"
#include "winsys/program_starter.h"

namespace sprite::fakes {

// Records the programs it is asked to start; those in `missing` cannot be started.
class FakeProgramStarter : public winsys::ProgramStarter {
 public:
  void StartProgram(const std::string& path) override {
    if (missing.count(path) != 0) {
      throw FaultError({.kind = FaultKind::kNoSuchFile, .path = path});
    }
    started.push_back(path);
  }

  std::set<std::string> missing;
  std::vector<std::string> started;
};

}  // namespace sprite::fakes
