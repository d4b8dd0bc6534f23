#include "pipeline/archive_listing.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "common/error.h"
#include "common/text.h"
#include "common/utf8_path.h"
#include "formats/sprite_archive.h"
#include "pipeline/opened_archive.h"
#include "pipeline/palette_input.h"
#include "pipeline/run_files_check.h"

namespace sprite::pipeline {

namespace {

std::string EntryLine(const formats::EntryPlace& entry) {
  char line[64];
  std::snprintf(line, sizeof line, "%5d %6d x %-6d %6d %s", static_cast<int>(entry.number),
                static_cast<int>(entry.width), static_cast<int>(entry.height),
                static_cast<int>(entry.length), entry.length == 1 ? "byte" : "bytes");
  return line;
}

std::string JsonLine(const formats::EntryPlace& entry) {
  return "    {\"number\": " + std::to_string(entry.number) +
         ", \"width\": " + std::to_string(entry.width) +
         ", \"height\": " + std::to_string(entry.height) +
         ", \"length\": " + std::to_string(entry.length) +
         ", \"offset\": " + std::to_string(entry.offset) + "}";
}

}  // namespace

RunReport ListArchive(files::FileSystem& files, RunDelegate& delegate,
                      const std::string& archivePath, ListFormat format) {
  RunReport report;
  const auto problem = [&](const Problem& p) {
    ++report.problems;
    delegate.Report(p);
  };
  std::optional<OpenedArchive> archive = OpenedArchive::Open(files, delegate, archivePath, report);
  if (!archive) {
    return report;
  }
  formats::ArchiveReader* reader = &archive->Reader();
  const bool json = format == ListFormat::kJson;
  if (json) {
    delegate.Log("{", false);
    delegate.Log("  \"count\": " + std::to_string(reader->Count()) + ",", false);
    delegate.Log("  \"entries\": [", false);
  }
  // A JSON entry's line is held until the next one says whether a comma ends it.
  std::string held;
  std::uint64_t coded = 0;
  std::int32_t listed = 0;
  bool walked = false;
  try {
    while (const auto entry = reader->NextPlace()) {
      if (!json) {
        delegate.Log(EntryLine(*entry), false);
      } else {
        if (!held.empty()) {
          delegate.Log(held + ",", false);
        }
        held = JsonLine(*entry);
      }
      coded += static_cast<std::uint64_t>(entry->length);
      ++listed;
    }
    // A negative count or bytes after the last entry: the list is not the archive's whole.
    walked = true;
    reader->CheckEntriesFill();
    report.completed = true;
  } catch (FaultError& error) {
    Fault fault = error.Details();
    fault.path = archivePath;
    Problem damage = walked ? EntryDamaged(std::move(fault))
                            : EntryNotDecoded(std::move(fault), "entries", "listed");
    if (json) {
      // The log is the JSON object, which says "complete": false; the words go
      // to standard error alone, so that a script can still parse it.
      damage.line.clear();
    }
    problem(damage);
  }
  report.stored = listed;
  if (json) {
    if (!held.empty()) {
      delegate.Log(held, false);
    }
    delegate.Log("  ],", false);
    delegate.Log(std::string("  \"complete\": ") + (report.completed ? "true" : "false"), false);
    delegate.Log("}", false);
    return report;
  }
  delegate.Log(std::to_string(listed) + (listed == 1 ? " picture, " : " pictures, ") +
                   Counted(coded, "byte", "bytes") + " coded",
               false);
  return report;
}

std::optional<PaletteFormat> PaletteFormatOf(const std::string& path) {
  std::string extension = Utf8FromPath(PathFromUtf8(path).extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".gpl") {
    return PaletteFormat::kGimp;
  }
  if (extension == ".pal") {
    return PaletteFormat::kJasc;
  }
  if (extension == ".png") {
    return PaletteFormat::kSwatchPng;
  }
  return std::nullopt;
}

RunReport ExportPalette(files::FileSystem& files, RunDelegate& delegate,
                        const std::string& inputPath, const std::string& outputPath,
                        PaletteFormat format) {
  RunReport report;
  files::RunFiles run{.reads = {{inputPath, "the palette's source"}},
                      .writes = {{outputPath, "the palette file"}},
                      .numbered = std::nullopt};
  if (auto refused = CheckRunFiles(files, delegate, std::move(run))) {
    report.outputFailed = true;
    ++report.problems;
    delegate.Report(*refused);
    return report;
  }
  formats::PaletteFile palette;
  try {
    palette = ReadPaletteInput(files, inputPath);
  } catch (FaultError& error) {
    error.SetPath(inputPath);
    ++report.problems;
    delegate.Report(PaletteNotRead(error.Details()));
    return report;
  }
  Bytes out;
  switch (format) {
    case PaletteFormat::kGimp:
      out =
          formats::WriteGimpPalette(palette.palette, Utf8FromPath(PathFromUtf8(inputPath).stem()));
      break;
    case PaletteFormat::kJasc:
      out = formats::WriteJascPalette(palette.palette);
      break;
    case PaletteFormat::kSwatchPng:
      out = formats::WriteSwatchPng(palette.palette);
      break;
  }
  // Once its replacement is begun and until it is in place, a file at the name is unchanged.
  bool previousKept = false;
  try {
    auto file = files.CreateReplacing(outputPath);
    previousKept = files.IsPlainFile(outputPath);
    file->Append(out);
    file->Commit();
    previousKept = false;
    files.SyncFolders();
  } catch (FaultError& error) {
    error.SetPath(outputPath);
    report.outputFailed = true;
    ++report.problems;
    delegate.Report(OutputNotWritten(error.Details(), {}, previousKept));
    return report;
  }
  report.completed = true;
  report.stored = 1;
  report.outputPath = files.FullPath(outputPath);
  return report;
}

}  // namespace sprite::pipeline
