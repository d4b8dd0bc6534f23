#include "pipeline/archive_listing.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "common/error.h"
#include "common/utf8_path.h"
#include "formats/sprite_archive.h"
#include "pipeline/palette_input.h"
#include "pipeline/run_files_check.h"

namespace sprite::pipeline {

namespace {

std::string EntryLine(const formats::ArchiveEntry& entry) {
  char line[64];
  std::snprintf(line, sizeof line, "%5d %6d x %-6d %6zu bytes", static_cast<int>(entry.number),
                static_cast<int>(entry.width), static_cast<int>(entry.height), entry.coded.size());
  return line;
}

}  // namespace

RunReport ListArchive(files::FileSystem& files, RunDelegate& delegate,
                      const std::string& archivePath) {
  RunReport report;
  const auto problem = [&](const Problem& p) {
    ++report.problems;
    delegate.Report(p);
  };
  files::RunFiles run{
      .reads = {{archivePath, "the archive"}}, .writes = {}, .numbered = std::nullopt};
  if (auto refused = CheckRunFiles(files, delegate, std::move(run))) {
    report.outputFailed = true;
    problem(*refused);
    return report;
  }
  std::unique_ptr<ByteSource> source;
  std::optional<formats::ArchiveReader> reader;
  try {
    source = files.OpenForReading(archivePath);
    reader.emplace(*source);
  } catch (FaultError& error) {
    error.SetPath(archivePath);
    problem(ArchiveNotOpened(error.Details()));
    return report;
  }
  std::uint64_t coded = 0;
  std::int32_t listed = 0;
  try {
    while (const auto entry = reader->Next()) {
      delegate.Log(EntryLine(*entry), false);
      coded += entry->coded.size();
      ++listed;
    }
    report.completed = true;
  } catch (FaultError& error) {
    Fault fault = error.Details();
    fault.path = archivePath;
    problem(EntryNotDecoded(std::move(fault), "entries", "listed"));
  }
  report.stored = listed;
  delegate.Log(std::to_string(listed) + (listed == 1 ? " picture, " : " pictures, ") +
                   std::to_string(coded) + " bytes coded",
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
  try {
    auto file = files.CreateReplacing(outputPath);
    file->Append(out);
    file->Commit();
    files.SyncFolders();
  } catch (FaultError& error) {
    error.SetPath(outputPath);
    report.outputFailed = true;
    ++report.problems;
    delegate.Report(OutputNotWritten(error.Details(), false));
    return report;
  }
  report.completed = true;
  report.stored = 1;
  report.outputPath = files.FullPath(outputPath);
  return report;
}

}  // namespace sprite::pipeline
