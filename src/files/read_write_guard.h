// The one rule every run keeps, whatever the command and the front end: it
// never writes over a file it reads, and never writes one file twice. Files are
// told apart by identity, so that links and other names of a file count.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_system.h"

namespace sprite::files {

// A file of a run: its path, and its part in the run as messages name it,
// a text that outlives the run ("the archive"), followed by the path unless
// `pathShown` is false (the log on standard output).
struct RunFile {
  std::string path;
  std::string_view part;
  bool pathShown = true;
};

// A file of a run as messages call it: the archive "e.spr".
std::string Shown(const RunFile& file);

// Files a run writes numbered from 1 to `count` (NumberedName), which
// messages call `what` and the number: picture 2 "e.spr.0002.png".
struct NumberedFiles {
  std::string base;
  std::string extension;
  std::int32_t count = 0;
  std::string what;
};

// Everything one run reads and writes.
struct RunFiles {
  std::vector<RunFile> reads;
  std::vector<RunFile> writes;
  std::optional<NumberedFiles> numbered;
};

// A file the run would write that is also another of its files: one it reads,
// or, with `otherWritten`, one it writes besides. Both as messages call them.
struct Clash {
  std::string writtenPath;
  std::string written;
  std::string other;
  bool otherWritten = false;
};

// The path of numbered file `number`: the base, ".", the number with at least
// four digits, the extension: "e.spr.0002.png".
std::string NumberedName(std::string_view base, std::int32_t number, std::string_view extension);

// The first clash among the files of `run`, looked at before anything is
// written: each write against the files read, in order, then against the
// writes before it. A write lands where its links lead; a file that exists now is
// compared by identity with every file read, and one still to be made by its
// folder's identity and its name. Files that are missing, or cannot be
// written at all, clash with nothing: reading or writing them will say why.
// Numbered files are found among the names their folder holds, so that a
// run of thousands looks only at those that exist.
std::optional<Clash> FindClash(FileSystem& files, const RunFiles& run);

}  // namespace sprite::files
