// A list file of any content, read from one of a few folders: either a line
// that names a path and holds a control character is refused, by its number,
// as a plain reading of the lines finds it, or every path comes back without
// one; and those paths, written as a list and read from the current folder,
// come back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_harness.h"
#include "pipeline/list_file.h"

namespace {

// The first line that names a path and holds a byte below 0x20, DEL, or
// U+0080 to U+009F in UTF-8, numbered from 1.
std::optional<std::int64_t> FirstBadLine(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  std::int64_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string line(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') {
      continue;
    }
    line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
    for (std::size_t i = 0; i < line.size(); ++i) {
      const auto byte = static_cast<std::uint8_t>(line[i]);
      const auto next = i + 1 < line.size() ? static_cast<std::uint8_t>(line[i + 1]) : 0;
      if (byte < 0x20 || byte == 0x7F || (byte == 0xC2 && next >= 0x80 && next <= 0x9F)) {
        return number;
      }
    }
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using sprite::fuzz::Check;
  constexpr std::string_view kFolders[] = {"", "lists", "/abs/", "a/b", "..", "C:\\art"};
  if (size == 0) {
    return 0;
  }
  const std::string_view folder = kFolders[data[0] % std::size(kFolders)];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::optional<std::string> utf16 = sprite::pipeline::Utf16ListText(bytes);
  const std::string_view text = utf16 ? std::string_view(*utf16) : bytes;
  const std::optional<std::int64_t> bad = FirstBadLine(text);
  std::vector<std::string> paths;
  try {
    paths = sprite::pipeline::ParseListFile(text, folder);
  } catch (const sprite::FaultError& error) {
    Check(error.Kind() == sprite::FaultKind::kBadListLine && bad && error.Details().value == *bad);
    return 0;
  }
  Check(!bad);
  for (const std::string& path : paths) {
    Check(!path.empty() && !FirstBadLine(path));
  }
  // Paths from the current folder read back as they were written, some with
  // "./" in front.
  const std::vector<std::string> fromHere = sprite::pipeline::ParseListFile(text, "");
  const std::vector<std::string> back =
      sprite::pipeline::ParseListFile(sprite::pipeline::FormatListFile(fromHere), "");
  Check(back.size() == fromHere.size());
  for (std::size_t i = 0; i < back.size(); ++i) {
    Check(back[i] == fromHere[i] || back[i] == "./" + fromHere[i]);
  }
  return 0;
}
