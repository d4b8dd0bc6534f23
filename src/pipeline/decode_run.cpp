#include "pipeline/decode_run.h"

#include <filesystem>
#include <optional>
#include <string_view>

#include "codec/rle_decoder.h"
#include "common/error.h"
#include "common/text.h"
#include "common/utf8_path.h"
#include "files/commit_batch.h"
#include "formats/png_writer.h"
#include "formats/sprite_archive.h"
#include "formats/stored_picture.h"
#include "pipeline/decoder_host.h"
#include "pipeline/entry_decode_ahead.h"
#include "pipeline/list_file.h"
#include "pipeline/run_files_check.h"
#include "pipeline/run_folders.h"

namespace sprite::pipeline {

RunReport DecodeRun::Run(const std::string& archivePath, const std::string& folder,
                         const std::string& name) {
  report_ = RunReport{};
  written_.clear();
  const std::string fileName =
      name.empty() ? Utf8FromPath(PathFromUtf8(archivePath).filename()) : name;
  const std::string base = PathAsNamed(
      folder.empty() && name.empty() ? archivePath
                                     : Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8(fileName)));
  // An archive named without a folder is in the current one, named in full.
  const std::filesystem::path baseFolder = PathFromUtf8(base).parent_path();
  report_.outputPath = files_.FullPath(baseFolder.empty() ? "." : Utf8FromPath(baseFolder));
  const bool png = options_.png || options_.sheetColumns > 0;
  const char* extension = png ? ".png" : ".bmp";
  std::optional<std::int32_t> decoded;
  std::unique_ptr<files::ReplacingFile> list;
  try {
    // The archive's count first, for the names of the files the run writes,
    // which are checked before the log's first line: the log may be one.
    std::unique_ptr<ByteSource> source;
    std::optional<formats::ArchiveReader> reader;
    std::optional<Problem> notOpened;
    try {
      source = files_.OpenForReading(archivePath);
      reader.emplace(*source);
      delegate_.ArchiveOpened();
    } catch (FaultError& error) {
      error.SetPath(archivePath);
      notOpened = ArchiveNotOpened(error.Details());
    }
    const std::optional<Problem> refused = CheckRunFiles(
        files_, delegate_, RunFilesOf(archivePath, base, extension, reader ? reader->Count() : 0));
    // An entry chosen that the archive does not have is a usage error: no log.
    const bool chosen = !reader || refused || options_.sheetColumns > 0 ||
                        ChooseEntries(archivePath, reader->Count());
    if ((!refused || !refused->line.empty()) && chosen) {
      delegate_.Log("Decoding...", false);
    }
    if (refused) {
      report_.outputFailed = true;
      Report(*refused);
      reader.reset();
    } else if (notOpened) {
      Report(*notOpened);
    }
    if (reader && chosen && !options_.listPath.empty()) {
      list = CreateList();
      if (!list) {
        reader.reset();
      }
    }
    if (reader && options_.sheetColumns > 0) {
      decoded = DecodeSheet(archivePath, base, *source);
    } else if (reader && !chosen) {
      // Nothing is decoded for an entry the archive does not have.
    } else if (reader) {
      const auto writer = png ? MakePngWriter(reader->Palette(), options_.opaque)
                              : MakeBitmapWriter(reader->Palette());
      decoded = DecodeEntries(archivePath, base, *reader, *writer);
    }
  } catch (const CancelledError&) {
    report_.cancelled = true;
    // The files finished before the stop stand in place of any old ones: said
    // with their count, as no "Decoded" line follows.
    const bool one = report_.stored == 1;
    const std::string written =
        report_.stored > 0 && options_.sheetColumns == 0
            ? "; " + std::to_string(report_.stored) + (png ? " picture" : " bitmap") +
                  (one ? " before it was written" : "s before it were written")
            : "";
    Report(Stopped(options_.sheetColumns > 0 ? "the sheet " + Quoted(SheetName(base))
                   : png                     ? "the picture being decoded"
                                             : "the bitmap being decoded",
                   "was not written" + written));
  }
  if (decoded && list) {
    WriteList(*list);
  }
  SyncFolders();
  delegate_.Finishing();
  if (decoded) {
    delegate_.Log("Decoded " + std::to_string(*decoded) + " pictures in .spr to " + extension,
                  false);
  }
  return report_;
}

files::RunFiles DecodeRun::RunFilesOf(const std::string& archivePath, const std::string& base,
                                      const char* extension, std::int32_t count) const {
  files::RunFiles run;
  run.reads.push_back({archivePath, "the archive"});
  if (options_.sheetColumns > 0) {
    run.writes.push_back({SheetName(base), "the sheet"});
  } else {
    run.numbered =
        files::NumberedFiles{base, extension, count, options_.png ? "picture" : "bitmap"};
  }
  if (!options_.listPath.empty()) {
    run.writes.push_back({options_.listPath, "the list"});
  }
  return run;
}

std::int32_t DecodeRun::DecodeEntries(const std::string& archivePath, const std::string& base,
                                      formats::ArchiveReader& reader, EntryWriter& writer) {
  DecoderHost host(delegate_);
  // What the files written are called in the words of a problem.
  const std::string_view files =
      std::string_view(writer.Extension()) == ".png" ? "pictures" : "bitmaps";
  std::int32_t written = 0;
  bool skipped = false;  // an entry damaged alone was not written
  // Files that replace others wait for the disk together; each is told to the
  // delegate, and kept for the list, once it stands under its name.
  files::CommitBatch batch(files_.FilesPerBatch(), [&](const std::string& name) {
    delegate_.Written(name);
    written_.push_back(name);
    report_.stored = ++written;
  });
  std::string name;
  const auto commitWaiting = [&] {
    try {
      batch.Commit();
      return true;
    } catch (FaultError& error) {
      OutputFailed(error, name, files);
      return false;
    }
  };
  const std::int32_t count = reader.Count();
  const std::vector<std::int32_t>& numbers = chosen_;
  const bool chosen = !numbers.empty();
  EntryDecodeAhead ahead =
      chosen ? EntryDecodeAhead(reader, writer, numbers) : EntryDecodeAhead(reader, writer, count);
  const auto entries = chosen ? static_cast<std::int32_t>(numbers.size()) : count;
  for (std::int32_t i = 1; i <= entries; ++i) {
    const std::int32_t k = chosen ? numbers[static_cast<std::size_t>(i - 1)] : i;
    // Each entry's line comes before anything is known of it, so that a fault
    // of its own is reported under its number.
    delegate_.Log("Processing bitmap: " + std::to_string(k), false);
    Bytes file;
    try {
      file = ahead.Next(host);
    } catch (FaultError& error) {
      Fault fault = error.Details();
      fault.path = archivePath;
      if (fault.entry == 0) {
        fault.entry = k;
      }
      // A damaged entry read whole costs only its own file: the entries
      // after it are whole or not on their own.
      if (ahead.GoesOn()) {
        Report(EntrySkipped(std::move(fault),
                            writer.Extension() == std::string_view(".png") ? "picture" : "bitmap"));
        skipped = true;
        continue;
      }
      Report(WithColoursDoubted(EntryNotDecoded(std::move(fault), files),
                                std::string(files) + " written"));
      commitWaiting();
      return written;
    } catch (const CancelledError&) {
      // The bitmaps finished before the stop take their places.
      commitWaiting();
      throw;
    } catch (const Error& error) {
      Report(EntryNotDecoded(
          {.kind = FaultKind::kUnexpected, .path = archivePath, .entry = k, .text = error.what()},
          files));
      commitWaiting();
      return written;
    }
    name = OutputName(base, k, writer.Extension());
    try {
      auto out = files_.CreateReplacing(name);
      out->WriteAt(0, file);  // the whole file at once: written from here, not copied
      ahead.GiveBack(std::move(file));
      batch.Add(std::move(out), name);
    } catch (FaultError& error) {
      // The files finished before this one still take their places.
      if (commitWaiting()) {
        OutputFailed(error, name, files);
      }
      return written;
    }
  }
  if (!commitWaiting()) {
    return written;
  }
  if (!chosen) {
    CheckNothingLeft(reader, archivePath, files);
  }
  report_.completed = true;
  // The count as the header gives it, or of the entries chosen; a run that
  // stops early or leaves entries out says what it wrote.
  return skipped ? written : entries;
}

bool DecodeRun::ChooseEntries(const std::string& archivePath, std::int32_t count) {
  chosen_.clear();
  if (options_.entries.empty()) {
    return true;
  }
  try {
    chosen_ = ChosenEntries(options_.entries, count);
    return true;
  } catch (FaultError& error) {
    error.SetPath(archivePath);
    report_.noSuchEntry = error.Kind() == FaultKind::kNoSuchEntry;
    Report(report_.noSuchEntry ? NoSuchEntry(error.Details()) : ArchiveNotOpened(error.Details()));
    return false;
  }
}

void DecodeRun::CheckNothingLeft(const formats::ArchiveReader& reader,
                                 const std::string& archivePath, std::string_view files) {
  try {
    reader.CheckEntriesFill();
  } catch (FaultError& error) {
    // A negative count is an archive of no entries; bytes after the last entry
    // are damage: a count too low, a length changed, bytes added at the end
    // (which move the palette).
    if (error.Kind() == FaultKind::kBytesAfterEntries) {
      error.SetPath(archivePath);
      Report(ArchiveNotWhole(error.Details(), files));
    }
  }
}

std::unique_ptr<files::ReplacingFile> DecodeRun::CreateList() {
  try {
    return files_.CreateReplacing(options_.listPath);
  } catch (FaultError& error) {
    report_.outputFailed = true;
    error.SetPath(options_.listPath);
    Report(WriteRefused(error.Details(), "the list " + Quoted(options_.listPath)));
    return nullptr;
  }
}

void DecodeRun::WriteList(files::ReplacingFile& out) {
  const std::string& listPath = options_.listPath;
  // Each path as seen from the list's folder, which is where a list's paths start.
  const std::filesystem::path folder = PathFromUtf8(files_.FullPath(listPath)).parent_path();
  std::vector<std::string> lines;
  for (const std::string& path : written_) {
    const std::filesystem::path full = PathFromUtf8(files_.FullPath(path));
    const std::filesystem::path relative = full.lexically_relative(folder);
    lines.push_back(Utf8FromPath(relative.empty() ? full : relative));
  }
  try {
    const std::string text = FormatListFile(lines);
    out.Append(ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    out.Commit();
  } catch (FaultError& error) {
    report_.outputFailed = true;
    error.SetPath(listPath);
    // Not committed: a file at the list's name is the one that was there.
    Report(OutputNotWritten(error.Details(), {}, files_.IsPlainFile(listPath)));
  } catch (const InvalidArgumentError& error) {
    report_.outputFailed = true;
    Report(
        OutputNotWritten({.kind = FaultKind::kUnexpected, .path = listPath, .text = error.what()}));
  }
}

std::string DecodeRun::OutputName(const std::string& base, std::int32_t number,
                                  const char* extension) {
  return files::NumberedName(base, number, extension);
}

std::string DecodeRun::SheetName(const std::string& base) {
  return base + ".sheet.png";
}

void DecodeRun::Report(const Problem& problem) {
  ++report_.problems;
  delegate_.Report(problem);
}

void DecodeRun::OutputFailed(FaultError& error, const std::string& name, std::string_view rest) {
  report_.outputFailed = true;
  // A file that waited to be committed names itself.
  if (error.Details().path.empty()) {
    error.SetPath(name);
  }
  Report(OutputNotWritten(error.Details(), rest));
}

void DecodeRun::SyncFolders() {
  SyncRunFolders(files_, report_, [this](const Problem& problem) { Report(problem); });
}

}  // namespace sprite::pipeline
