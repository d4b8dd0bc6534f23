#include "pipeline/run_inputs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <utility>

#include "common/error.h"
#include "common/utf8_path.h"
#include "formats/entry_limits.h"
#include "pipeline/list_file.h"
#include "pipeline/natural_order.h"

namespace sprite::pipeline {

namespace {

constexpr auto kMaxPaths = static_cast<std::size_t>(formats::kMaxEntries);

bool IsPictureName(std::string_view name) {
  if (name.size() < 4) {
    return false;
  }
  std::string extension(name.substr(name.size() - 4));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".bmp" || extension == ".png";
}

// The paths the list at `listPath` names, read as it comes; no more than one
// past `most`.
std::vector<std::string> ListedPaths(files::FileSystem& files, const std::string& listPath,
                                     std::size_t most) {
  const std::string folder = Utf8FromPath(PathFromUtf8(listPath).parent_path());
  std::vector<std::string> paths;
  try {
    paths = ReadListFile(*files.OpenForStreaming(listPath), folder, most);
  } catch (FaultError& error) {
    error.SetPath(listPath);
    throw;
  }
  if (paths.empty()) {
    throw FaultError({.kind = FaultKind::kNoPictures, .path = listPath, .text = "list"});
  }
  return paths;
}

}  // namespace

std::vector<std::string> FolderPictures(files::FileSystem& files, const std::string& folder) {
  std::vector<std::string> names;
  try {
    names = files.ListFolder(folder);
  } catch (FaultError& error) {
    error.SetPath(folder);
    throw;
  }
  std::erase_if(names, [&](const std::string& name) {
    return !IsPictureName(name) || !files.IsPlainFile(PathInFolder(folder, name));
  });
  if (names.empty()) {
    throw FaultError({.kind = FaultKind::kNoPictures, .path = folder});
  }
  std::sort(names.begin(), names.end(), NaturalLess);
  for (std::string& name : names) {
    name = PathInFolder(folder, name);
  }
  return names;
}

RunInputs ExpandInputs(files::FileSystem& files, std::span<const std::string_view> arguments) {
  RunInputs inputs;
  inputs.paths.reserve(arguments.size());
  for (const std::string_view view : arguments) {
    std::string argument(view);
    try {
      std::vector<std::string> paths;
      bool cut = false;
      if (argument.starts_with('@')) {
        inputs.lists.push_back(argument.substr(1));
        const std::size_t room = kMaxPaths - std::min(kMaxPaths, inputs.paths.size());
        paths = ListedPaths(files, inputs.lists.back(), room);
        cut = paths.size() > room;
      } else if (files.IsFolder(argument)) {
        paths = FolderPictures(files, argument);
      } else {
        inputs.paths.push_back(std::move(argument));
        continue;
      }
      inputs.paths.insert(inputs.paths.end(), std::make_move_iterator(paths.begin()),
                          std::make_move_iterator(paths.end()));
      if (cut) {
        inputs.listReadNoFurther = inputs.lists.back();
        break;
      }
    } catch (const FaultError& error) {
      inputs.problems.push_back(NothingEncoded(error.Details(), OptionWords::kCommandLine,
                                               view.starts_with('@') ? "the list" : ""));
    }
  }
  return inputs;
}

}  // namespace sprite::pipeline
