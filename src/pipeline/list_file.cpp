#include "pipeline/list_file.h"

#include "common/error.h"
#include "common/text.h"
#include "common/utf16.h"
#include "common/utf8_path.h"

namespace sprite::pipeline {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

// A path in double quotes, as Windows copies a file's path and as a name with
// blanks is written on its command line: the quotes are no part of it.
bool IsQuoted(std::string_view line) {
  return line.size() >= 2 && line.front() == '"' && line.back() == '"';
}

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

// A path that starts with "..": the folder above.
bool StartsWithParent(std::string_view path) {
  return path.starts_with("..") && (path.size() == 2 || IsSeparator(path[2]));
}

// The relative path `line` taken from `folder` as a person reads the list: each
// ".." at its start leaves one folder of `folder` as it is written, not the
// folder a link in it leads to, as the system would. A list written through
// a link (decode --list=link/l.txt) so reads back the paths it was written with.
std::string FromFolder(std::string folder, std::string_view line) {
  while (StartsWithParent(line)) {
    std::size_t end = folder.size();
    while (end > 0 && IsSeparator(folder[end - 1])) {
      --end;
    }
    std::size_t start = end;
    while (start > 0 && !IsSeparator(folder[start - 1])) {
      --start;
    }
    const std::string_view last = std::string_view(folder).substr(start, end - start);
    if (last.empty() || last == "." || last == ".." || last.ends_with(':')) {
      break;  // the root, a drive, or a folder above the current one: the system goes on
    }
    folder.resize(start);
    line.remove_prefix(2);
    while (!line.empty() && IsSeparator(line.front())) {
      line.remove_prefix(1);
    }
  }
  if (folder.empty()) {
    return line.empty() ? "." : std::string(line);
  }
  return IsSeparator(folder.back()) ? folder.append(line) : PathInFolder(folder, line);
}

}  // namespace

std::optional<std::string> Utf16ListText(std::string_view bytes) {
  const bool little = bytes.starts_with("\xFF\xFE");
  if (!little && !bytes.starts_with("\xFE\xFF")) {
    return std::nullopt;
  }
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(little ? second << 8 | first : first << 8 | second));
  }
  if (bytes.size() % 2 != 0) {
    units.push_back(u'\uFFFD');  // a file cut inside its last character
  }
  return Utf8FromUtf16(units);
}

std::vector<std::string> ParseListFile(std::string_view bytes, std::string_view listFolder) {
  const std::optional<std::string> converted = Utf16ListText(bytes);
  std::string_view text = converted ? std::string_view(*converted) : bytes;
  if (text.starts_with(kByteOrderMark)) {
    text.remove_prefix(3);
  }
  std::vector<std::string> paths;
  for (std::int64_t number = 1; !text.empty(); ++number) {
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
    if (const auto control = FindControlCharacter(line)) {
      throw FaultError({.kind = FaultKind::kBadListLine,
                        .value = number,
                        .text = Escaped(line.substr(control->offset, control->length))});
    }
    if (IsQuoted(line)) {
      line = Trimmed(line.substr(1, line.size() - 2));
      if (line.empty()) {
        continue;
      }
    }
    paths.push_back(IsAbsolute(line) ? std::string(line)
                                     : FromFolder(std::string(listFolder), line));
  }
  return paths;
}

std::string FormatListFile(std::span<const std::string> paths) {
  std::string text;
  for (const std::string& path : paths) {
    if (path.empty() || FindControlCharacter(path) ||
        kBlanks.find(path.back()) != std::string_view::npos) {
      throw InvalidArgumentError("the path " + Quoted(path) + " cannot be a line of a list file");
    }
    // A mark at the start of a list would be skipped, or make it read as UTF-16.
    if (path.starts_with('#') || path.starts_with(kByteOrderMark) || path.starts_with("\xFF\xFE") ||
        path.starts_with("\xFE\xFF") || kBlanks.find(path.front()) != std::string_view::npos ||
        IsQuoted(path)) {
      text += "./";
    }
    text += path;
    text += '\n';
  }
  return text;
}

}  // namespace sprite::pipeline
