// What --version prints, the same for both programs.
#pragma once

#include <string>
#include <string_view>

namespace sprite::app {

// "PROGRAM (product name) version", a line break, and the licence notice.
std::string VersionText(std::string_view program);

}  // namespace sprite::app
