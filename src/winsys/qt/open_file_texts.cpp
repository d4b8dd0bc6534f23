#include "winsys/qt/open_file_texts.h"

#include <algorithm>
#include <limits>

namespace sprite::winsys::qt {
namespace {

std::uint16_t Offset(std::size_t position) {
  return static_cast<std::uint16_t>(
      std::min<std::size_t>(position, std::numeric_limits<std::uint16_t>::max()));
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Folder and name of an absolute, clean path; the root folder is "/".
std::pair<std::string, std::string> SplitPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return {std::string(), path};
  }
  return {path.substr(0, slash == 0 ? 1 : slash), path.substr(slash + 1)};
}

}  // namespace

std::vector<FileFilter> ParseFilterList(const std::string& list) {
  std::vector<FileFilter> filters;
  std::size_t position = 0;
  // Reads the text from `position` up to the next NUL or the end, and steps past it.
  const auto next = [&] {
    const std::size_t end = std::min(list.find('\0', position), list.size());
    std::string text = list.substr(position, end - position);
    position = std::min(end + 1, list.size());
    return text;
  };
  while (position < list.size()) {
    FileFilter filter;
    filter.description = next();
    const std::string patterns = next();
    if (filter.description.empty() || patterns.empty()) {
      break;
    }
    std::size_t start = 0;
    while (start <= patterns.size()) {
      const std::size_t end = std::min(patterns.find(';', start), patterns.size());
      std::string pattern = Trimmed(patterns.substr(start, end - start));
      if (pattern == "*.*") {
        pattern = "*";
      }
      if (!pattern.empty()) {
        filter.patterns.push_back(std::move(pattern));
      }
      start = end + 1;
    }
    if (!filter.patterns.empty()) {
      filters.push_back(std::move(filter));
    }
  }
  return filters;
}

std::optional<SelectionText> ComposeSelection(const std::vector<std::string>& paths) {
  if (paths.empty()) {
    return std::nullopt;
  }
  SelectionText selection;
  if (paths.size() == 1) {
    const std::string& path = paths.front();
    const std::size_t nameStart = path.find_last_of('/') + 1;  // npos + 1 is 0
    const std::size_t dot = path.find_last_of('.');
    selection.text = path + '\0';
    selection.fileOffset = Offset(nameStart);
    if (dot == std::string::npos || dot < nameStart) {
      selection.extensionOffset = Offset(path.size());
    } else if (dot + 1 < path.size()) {
      selection.extensionOffset = Offset(dot + 1);
    }
    return selection;
  }
  const std::string folder = SplitPath(paths.front()).first;
  selection.text = folder + '\0';
  selection.fileOffset = Offset(selection.text.size());
  for (const std::string& path : paths) {
    auto [pathFolder, name] = SplitPath(path);
    if (pathFolder != folder) {
      return std::nullopt;
    }
    selection.text += name;
    selection.text += '\0';
  }
  selection.text += '\0';
  return selection;
}

}  // namespace sprite::winsys::qt
