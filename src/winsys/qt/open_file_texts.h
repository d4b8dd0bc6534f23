#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sprite::winsys::qt {

// The texts an open-file record carries in and out, apart from any dialog.
// Text is UTF-8; sizes and offsets count bytes.

// One pair of the filter list: the text shown and the patterns it matches.
struct FileFilter {
  std::string description;
  // Blanks around each pattern removed; "*.*" becomes "*", since it stands for
  // every file, those without an extension too.
  std::vector<std::string> patterns;
};

// The pairs of a filter list: description and pattern alternating, each
// followed by a NUL; the list ends at the first empty text. A pattern may list
// several, separated by ";". A description without a pattern is dropped.
std::vector<FileFilter> ParseFilterList(const std::string& list);

// What a confirmed selection puts at the start of the file buffer.
struct SelectionText {
  // One file: its path and a NUL. Several: the folder, a NUL, each name
  // followed by a NUL, and one more NUL.
  std::string text;
  std::uint16_t fileOffset = 0;       // where the (first) name starts
  std::uint16_t extensionOffset = 0;  // after the name's last full stop; see ComposeSelection
};

// The selection text of absolute, clean paths, in their order. The extension
// offset of one file is the position after the last full stop of its name, 0
// when the name ends in one, and the position of the NUL when it has none; of
// several files it is 0. Offsets past 65535 are given as 65535. No value when
// `paths` is empty or several paths lie in different folders.
std::optional<SelectionText> ComposeSelection(const std::vector<std::string>& paths);

}  // namespace sprite::winsys::qt
