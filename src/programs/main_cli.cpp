// sprite-cli on POSIX systems: the arguments are already the bytes of UTF-8
// names, and stay where the system put them.
#include <string_view>
#include <vector>

#include "cli/sprite_cli.h"
#include "files/native_file_system.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const auto files = sprite::files::MakeNativeFileSystem();
  return sprite::cli::Main(args, *files);
}
