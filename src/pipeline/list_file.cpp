#include "pipeline/list_file.h"

#include <array>
#include <limits>

#include "common/error.h"
#include "common/text.h"
#include "common/utf16.h"
#include "common/utf8_path.h"
#include "formats/memory_io.h"
#include "formats/text_lines.h"

namespace sprite::pipeline {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Room for the longest path a system takes (32767 UTF-16 units on Windows,
// three bytes each in UTF-8), in quotes and among blanks; a list is read a
// line at a time, so this bounds its memory whatever its length.
constexpr std::size_t kMaxLineBytes = 1 << 20;
// A UTF-16 list is gathered whole and made UTF-8 first: at most this much.
constexpr std::size_t kMaxUtf16ListBytes = 16 << 20;

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

// The bytes read to tell a list's encoding, then the rest of its stream.
class AfterStart : public ByteStream {
 public:
  AfterStart(ByteView start, ByteStream& rest) : start_(start), rest_(rest) {}
  std::size_t Read(std::span<std::uint8_t> out) override {
    const std::size_t first = std::min(start_.size(), out.size());
    std::copy_n(start_.begin(), first, out.begin());
    start_ = start_.subspan(first);
    return first < out.size() ? first + rest_.Read(out.subspan(first)) : first;
  }

 private:
  ByteView start_;
  ByteStream& rest_;
};

// The paths the UTF-8 lines of `stream` name, no more than one past `most`.
std::vector<std::string> PathsOfLines(ByteStream& stream, std::string_view listFolder,
                                      std::size_t most) {
  formats::TextLines lines(stream, kMaxLineBytes, std::numeric_limits<std::size_t>::max(),
                           FaultKind::kBadListLine);
  std::vector<std::string> paths;
  while (paths.size() <= most) {
    const std::optional<std::string_view> next = lines.Next();
    if (!next) {
      break;
    }
    std::string_view line = Trimmed(*next);
    if (line.empty() || line.starts_with('#')) {
      continue;
    }
    if (const auto control = FindControlCharacter(line)) {
      throw FaultError({.kind = FaultKind::kBadListLine,
                        .value = static_cast<std::int64_t>(lines.Number()),
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

std::vector<std::string> ReadListFile(ByteStream& stream, std::string_view listFolder,
                                      std::size_t most) {
  std::array<std::uint8_t, 2> mark{};
  const std::size_t markBytes = stream.Read(mark);
  const std::string_view start(reinterpret_cast<const char*>(mark.data()), markBytes);
  if (start == "\xFF\xFE" || start == "\xFE\xFF") {
    std::string bytes(start);
    std::array<std::uint8_t, 64 * 1024> block{};
    for (std::size_t got = 0; (got = stream.Read(block)) > 0;) {
      bytes.append(reinterpret_cast<const char*>(block.data()), got);
      if (bytes.size() > kMaxUtf16ListBytes) {
        throw FaultError({.kind = FaultKind::kFileTooLarge,
                          .bound = static_cast<std::int64_t>(kMaxUtf16ListBytes)});
      }
    }
    const std::string text = *Utf16ListText(bytes);
    formats::MemorySource source(
        ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    SourceStream utf8(source);
    return PathsOfLines(utf8, listFolder, most);
  }
  AfterStart whole(ByteView(mark.data(), markBytes), stream);
  return PathsOfLines(whole, listFolder, most);
}

std::vector<std::string> ParseListFile(std::string_view bytes, std::string_view listFolder) {
  formats::MemorySource source(
      ByteView(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  SourceStream stream(source);
  return ReadListFile(stream, listFolder, std::numeric_limits<std::size_t>::max());
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
