// What a console's arguments name for Encode: pictures, lists of them and
// folders of them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_system.h"
#include "pipeline/problem.h"

namespace sprite::pipeline {

struct RunInputs {
  std::vector<std::string> paths;
  // The list files read for them.
  std::vector<std::string> lists;
  // Lists and folders that could not be read, or hold no picture.
  std::vector<Problem> problems;
  // The list read no further once the paths passed the most an archive
  // holds: the arguments after it are not looked at.
  std::optional<std::string> listReadNoFurther;
};

// The pictures `arguments` name, in order: "@FILE" stands for the paths the
// list file FILE names (ParseListFile, relative ones taken from its folder), a
// folder for its .bmp and .png files (by name, in any case) in natural order,
// and anything else for itself. Lists and folders are not followed further.
// Views, not copies: a console may name 32767 pictures. A list is read no
// further than the path that takes them past the most an archive holds.
RunInputs ExpandInputs(files::FileSystem& files, std::span<const std::string_view> arguments);

// The .bmp and .png files of `folder`, full paths in natural order, as a
// folder among ExpandInputs' arguments gives them. Throws FaultError:
// kNoPictures when there is none, or why the folder cannot be listed.
std::vector<std::string> FolderPictures(files::FileSystem& files, const std::string& folder);

}  // namespace sprite::pipeline
