#include "pipeline/list_file.h"

#include "common/error.h"

namespace sprite::pipeline {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsAbsolute(std::string_view path) {
  const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '/' || path[2] == '\\') &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive || path.starts_with('/') || path.starts_with('\\');
}

}  // namespace

std::vector<std::string> ParseListFile(std::string_view text, std::string_view listFolder) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  std::vector<std::string> paths;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    line = Trimmed(line);
    if (line.empty() || line.starts_with('#')) {
      continue;
    }
    if (IsAbsolute(line) || listFolder.empty()) {
      paths.emplace_back(line);
    } else {
      std::string path(listFolder);
      if (!path.ends_with('/') && !path.ends_with('\\')) {
        path += '/';
      }
      paths.push_back(path.append(line));
    }
  }
  return paths;
}

std::string FormatListFile(std::span<const std::string> paths) {
  std::string text;
  for (const std::string& path : paths) {
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos ||
        kBlanks.find(path.back()) != std::string_view::npos) {
      throw InvalidArgumentError("the path \"" + path + "\" cannot be a line of a list file");
    }
    if (path.starts_with('#') || kBlanks.find(path.front()) != std::string_view::npos) {
      text += "./";
    }
    text += path;
    text += '\n';
  }
  return text;
}

}  // namespace sprite::pipeline
