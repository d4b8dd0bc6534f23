#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sprite::pipeline {

// Natural order of file names: runs of digits compare by their value, so
// "walk_2" comes before "walk_10"; other characters compare without regard to
// ASCII case. Names equal that way ("a01", "a1", "A1") fall back to byte order,
// so that the order is total and the same on every system.
bool NaturalLess(std::string_view a, std::string_view b);

// Orders paths by their file names in natural order, and paths of the same
// name by their folders, as a folder's pictures are listed.
void SortByName(std::vector<std::string>& paths);

}  // namespace sprite::pipeline
