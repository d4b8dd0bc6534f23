// sprite-cli on POSIX systems: the arguments are already the bytes of UTF-8 names.
#include <string>
#include <vector>

#include "cli/sprite_cli.h"

int main(int argc, char** argv) {
  return sprite::cli::Main(std::vector<std::string>(argv + 1, argv + argc));
}
