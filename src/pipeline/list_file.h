// List files: the paths of pictures, one a line, in the order of a run.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/byte_io.h"

namespace sprite::pipeline {

// The paths a list file names, in order: one a line (LF or CR LF), blanks
// around it trimmed; blank lines and lines starting with "#" are skipped; a
// line in double quotes names the path inside them, trimmed too. A
// relative path is taken from `listFolder`, the folder the list file was named
// through ("" for the current folder), as a person reads it: joined as
// PathInFolder joins, each ".." at its start leaving one folder of
// `listFolder` as written. An
// absolute one ("/…", "\…" or a drive letter "C:\…", "C:/…") is kept. A
// leading byte-order mark is skipped; with one, the list may be UTF-16 (as
// Windows PowerShell's ">" writes it). A line that names a path and holds a
// control character (NUL, escape, …) is refused: FaultError kBadListLine, as
// is a line longer than any path (1 MiB).
std::vector<std::string> ParseListFile(std::string_view bytes, std::string_view listFolder);

// The paths of the list file `stream` gives, as ParseListFile reads them, read
// a line at a time (a UTF-16 list is gathered whole first, up to 16 MiB), so
// that a list of any length costs no more memory than its paths: reading
// stops at the path past the first `most`, which it returns too.
std::vector<std::string> ReadListFile(ByteStream& stream, std::string_view listFolder,
                                      std::size_t most);

// The UTF-8 text of a list file in UTF-16 that starts with its byte-order mark
// (either order), mark and all; nothing for any other list.
std::optional<std::string> Utf16ListText(std::string_view bytes);

// The text of a list file naming `paths` one a line, each written so that
// ParseListFile reads it back: one starting with "#", a blank or a byte-order
// mark, or in double quotes, gets "./" in front. Throws InvalidArgumentError
// for a path with a control character (a line end among them), an empty one
// or one ending in a blank, which no line can give back.
std::string FormatListFile(std::span<const std::string> paths);

}  // namespace sprite::pipeline
