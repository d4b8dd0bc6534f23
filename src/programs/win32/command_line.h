// The command line and the console of the Windows programs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sprite::programs {

// The program's arguments in UTF-8, without the program's name.
std::vector<std::string> CommandLineArguments();

// sprite-cli's file arguments with "*" and "?" replaced by the names of the
// files they match, in natural order (walk_2 before walk_10): cmd.exe leaves
// them to the program. Options and their values are left alone, and so is a pattern that
// matches nothing (the run then says there is no such file). Wildcards match
// in the last component only, without regard to case; hidden and system files
// are not matched.
std::vector<std::string> ExpandWildcards(const std::vector<std::string>& args);

// Whether `name` matches `pattern` ("*" any run of characters, "?" one), both
// already in the same case.
bool MatchesWildcard(std::u16string_view name, std::u16string_view pattern);

// Standard input and output carry bytes unchanged (an archive may pass through
// them), standard output and standard error take UTF-8 on a console, and a
// console draws the progress bars' escape sequences. The console's code page
// is given back when the object goes.
class ConsoleOutput {
 public:
  ConsoleOutput();
  ~ConsoleOutput();
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;

 private:
  unsigned codePage_;
};

// A window program's answer to --help or --version: on the console of the
// program that started it when there is one, otherwise in a message box.
void ShowConsoleAnswer(const std::string& title, const std::string& text);

}  // namespace sprite::programs
