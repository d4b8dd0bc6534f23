// sprite-cli as a function of its arguments, for the entry point of each system.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_system.h"

namespace sprite::cli {

// Runs sprite-cli with `args` (UTF-8, without the program name) and returns its
// exit status.
int Main(const std::vector<std::string>& args);
// The same, with the files of `files`.
int Main(const std::vector<std::string>& args, files::FileSystem& files);
// The same, with views of arguments that outlive the call: a command line may
// name 32767 pictures, and they are not copied.
int Main(std::span<const std::string_view> args, files::FileSystem& files);

}  // namespace sprite::cli
