// sprite-cli as a function of its arguments, for the entry point of each system.
#pragma once

#include <string>
#include <vector>

namespace sprite::cli {

// Runs sprite-cli with `args` (UTF-8, without the program name) and returns its
// exit status.
int Main(const std::vector<std::string>& args);

}  // namespace sprite::cli
