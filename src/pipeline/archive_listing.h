// A look inside an archive, and its palette as a file of its own.
#pragma once

#include <string>

#include "files/file_system.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"

namespace sprite::pipeline {

enum class ListFormat { kText, kJson };

// Logs one line for each entry of the archive at `archivePath`, its number,
// width, height (the fields as stored, sign kept) and coded length, then a line
// with the totals. A damaged entry ends the listing as it ends a Decode run;
// a negative count, or bytes after the last entry, are damage too.
// As JSON: one object with the header's "count", the "entries" (each with its
// "number", "width", "height", "length" and the "offset" of its head), and
// whether they are "complete"; the object is whole even when an entry is
// damaged. The coded streams are not read.
RunReport ListArchive(files::FileSystem& files, RunDelegate& delegate,
                      const std::string& archivePath, ListFormat format = ListFormat::kText);

enum class PaletteFormat { kGimp, kJasc, kSwatchPng };

// The file format a palette's name asks for by its extension (".gpl", ".pal",
// ".png", in any case); nothing for another.
std::optional<PaletteFormat> PaletteFormatOf(const std::string& path);

// Writes the palette of the file at `inputPath` (a sprite archive's, or that of
// anything a run's palette file may be) to `outputPath`, all 256 entries.
RunReport ExportPalette(files::FileSystem& files, RunDelegate& delegate,
                        const std::string& inputPath, const std::string& outputPath,
                        PaletteFormat format);

}  // namespace sprite::pipeline
