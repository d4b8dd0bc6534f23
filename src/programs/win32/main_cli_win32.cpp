// sprite-cli on Windows: the arguments come in UTF-16, and wildcards in file
// arguments are the program's to expand, as cmd.exe leaves them.
#include <string>
#include <vector>

#include "cli/sprite_cli.h"
#include "programs/win32/command_line.h"

int wmain(int, wchar_t**) {
  const sprite::programs::ConsoleOutput utf8;
  return sprite::cli::Main(
      sprite::programs::ExpandWildcards(sprite::programs::CommandLineArguments()));
}
