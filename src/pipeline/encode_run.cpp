#include "pipeline/encode_run.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>

#include "codec/rounded_percent.h"
#include "common/error.h"
#include "common/text.h"
#include "files/write_behind_file.h"
#include "formats/entry_limits.h"
#include "formats/sprite_archive.h"
#include "formats/stored_picture.h"
#include "pipeline/chosen_palette.h"
#include "pipeline/entry_coding.h"
#include "pipeline/palette_input.h"
#include "pipeline/run_files_check.h"
#include "pipeline/run_folders.h"

namespace sprite::pipeline {

namespace {

// The picture as its stored rows show it: a sheet to cut. A short last row
// is completed with index 0, as a PNG picture of the entry shows it (whose
// private chunk cut it short): no pixel is left out of the frames unsaid.
IndexedImage ImageOf(const formats::StoredPicture& picture) {
  const auto width = static_cast<std::uint32_t>(picture.width);
  const std::size_t rows = (picture.storedRows.size() + width - 1) / width;
  IndexedImage image{width, static_cast<std::uint32_t>(rows), picture.storedRows};
  image.pixels.resize(rows * width, 0);
  formats::TurnStoredRows(picture.height, width, image.pixels);
  return image;
}

}  // namespace

PictureMapper GivenPaletteMapper(const formats::PaletteFile& palette,
                                 const EncodeOptions& options) {
  return PictureMapper::ForGivenPalette(palette, options.alpha, options.mapping.dither);
}

files::RunFiles EncodeRun::RunFilesOf(const std::vector<std::string>& inputs,
                                      const std::string& archivePath) const {
  files::RunFiles run;
  run.reads.reserve(inputs.size() + options_.listFiles.size() + 1);
  for (const std::string& input : inputs) {
    run.reads.push_back({input, "the listed picture"});
  }
  for (const std::string& list : options_.listFiles) {
    run.reads.push_back({list, "the list file"});
  }
  if (!options_.mapping.paletteFile.empty()) {
    run.reads.push_back({options_.mapping.paletteFile, "the palette file"});
  }
  run.writes.push_back({archivePath, "the archive"});
  return run;
}

// What one run has done so far.
struct EncodeRun::Stored {
  RunReport report{};
  // The palette of the last picture stored: the archive's trailer.
  Bytes trailer;
  StoredPalettes palettes;
  bool lastOnTarget = false;
  bool anyOnTarget = false;
  // The PNG pictures have more colours than a palette holds: the rest of the
  // run only counts them, and nothing is stored.
  std::optional<Fault> tooManyColours{};
  // Refused as a whole: it stored nothing and leaves the palette alone.
  bool refused = false;
};

EncodeRun::EncodeRun(files::FileSystem& files, RunDelegate& delegate, EncodeOptions options)
    : files_(files), delegate_(delegate), options_(std::move(options)) {
  if (options_.mapping.colours > 0 && !options_.mapping.paletteFile.empty()) {
    throw InvalidArgumentError("a run's palette is given or chosen, not both");
  }
}

RunReport EncodeRun::Run(const std::vector<std::string>& inputs, const std::string& archivePath,
                         Bytes& archivePalette) {
  if (inputs.size() > static_cast<std::size_t>(formats::kMaxEntries)) {
    throw InvalidArgumentError("an archive holds at most 32767 pictures; " +
                               std::to_string(inputs.size()) + " were listed");
  }
  Stored run{.trailer = archivePalette, .palettes = StoredPalettes(inputs.size())};
  run.report.listed = static_cast<std::int32_t>(inputs.size());
  if (RefusedBeforeReading(inputs, archivePath, run)) {
    return run.report;
  }
  const bool existing = files_.IsPlainFile(archivePath);
  const auto notWritten = [&](FaultError& error, bool previousKept) {
    run.report.outputFailed = true;
    error.SetPath(archivePath);
    Report(run, ArchiveNotWritten(error.Details(), previousKept));
  };
  std::unique_ptr<files::ReplacingFile> archiveFile;
  try {
    archiveFile = std::make_unique<files::WriteBehindFile>(files_.CreateReplacing(archivePath));
  } catch (FaultError& error) {
    notWritten(error, false);
    SyncFolders(run);
    return run.report;
  }
  try {
    WriteArchive(inputs, *archiveFile, archivePath, existing, run);
  } catch (FaultError& error) {
    notWritten(error, existing);
  } catch (const CancelledError&) {
    run.report.cancelled = true;
    Report(run, Stopped("the archive " + Quoted(archivePath)));
  } catch (const Error& error) {
    Report(run, ArchiveNotWritten(
                    {.kind = FaultKind::kUnexpected, .path = archivePath, .text = error.what()},
                    existing));
  }
  if (!run.refused) {
    archivePalette = std::move(run.trailer);
  }
  archiveFile.reset();
  SyncFolders(run);
  delegate_.Finishing();
  return run.report;
}

bool EncodeRun::RefusedBeforeReading(const std::vector<std::string>& inputs,
                                     const std::string& archivePath, Stored& run) {
  // An archive never replaces a file it is made of: a run that did would leave
  // nothing to make it again from.
  if (auto refused = CheckRunFiles(files_, delegate_, RunFilesOf(inputs, archivePath))) {
    run.report.outputFailed = true;
    Report(run, *refused);
    SyncFolders(run);
    return true;
  }
  for (const Problem& problem : options_.unreadInputs) {
    Report(run, problem);
  }
  return !options_.unreadInputs.empty();
}

void EncodeRun::WriteArchive(const std::vector<std::string>& inputs, files::ReplacingFile& file,
                             const std::string& archivePath, bool existing, Stored& run) {
  formats::ArchiveWriter archive(file);
  delegate_.Log("Init", false);
  std::optional<Problem> refused;
  std::optional<PictureMapper> given = GivenPalette(refused);
  const Bytes target = refused ? Bytes{} : StorePictures(inputs, std::move(given), archive, run);
  if (run.tooManyColours) {
    run.tooManyColours->text =
        MostOwnColours(files_, inputs, options_.alpha, [this] { return delegate_.ShouldStop(); });
    refused = NothingEncoded(*run.tooManyColours, options_.optionWords);
  }
  if (refused) {
    run.report.stored = 0;
    run.refused = true;
    Report(run, *refused);
    return;
  }
  // PNG pictures are stored against the target palette as it is finished.
  if (run.lastOnTarget) {
    run.trailer = target;
  }
  // Every picture decodes with the last one's palette: name those it does not fit.
  for (const std::size_t index : run.palettes.DifferingFromLast(target)) {
    Report(run, StoredAnyway({.kind = FaultKind::kOtherColours, .path = inputs[index]}));
  }
  // Bitmaps keep their own palettes: a palette asked for that no picture took
  // is said, unless the archive keeps it anyway.
  const ColourMapping& mapping = options_.mapping;
  if ((mapping.colours > 0 || !mapping.paletteFile.empty()) && run.report.stored > 0 &&
      !run.anyOnTarget && (mapping.colours > 0 || run.trailer != target)) {
    Report(run, MappingUnused({.kind = FaultKind::kMappingUnused,
                               .value = mapping.colours,
                               .text = mapping.paletteFile},
                              options_.optionWords));
  }
  delegate_.Log("Completed ", true);
  if (run.report.stored == 0 && existing) {
    // An archive of no pictures in place of a file that was there would only lose it.
    Report(run, LeftAsItWas(archivePath));
  } else {
    archive.Finish(run.trailer);
    file.Commit();
    run.report.outputBytes = archive.Size();
    run.report.outputWritten = true;
    run.report.outputPath = files_.FullPath(archivePath);
  }
  run.report.completed = true;
}

std::optional<PictureMapper> EncodeRun::GivenPalette(std::optional<Problem>& refused) const {
  const ColourMapping& mapping = options_.mapping;
  if (mapping.paletteFile.empty()) {
    return std::nullopt;
  }
  try {
    return GivenPaletteMapper(ReadPaletteInput(files_, mapping.paletteFile), options_);
  } catch (FaultError& error) {
    error.SetPath(mapping.paletteFile);
    refused = PaletteNotUsed(error.Details(), options_.optionWords);
    return std::nullopt;
  }
}

Bytes EncodeRun::StorePictures(const std::vector<std::string>& inputs,
                               std::optional<PictureMapper> given, formats::ArchiveWriter& archive,
                               Stored& run) {
  EncodeReadAhead pictures(
      files_, inputs, options_.alpha, std::move(given), options_.mapping,
      [this] { return delegate_.ShouldStop(); }, options_.sheet.has_value());
  const std::size_t count = inputs.size();
  for (std::size_t index = 0; index < count; ++index) {
    if (delegate_.ShouldStop()) {
      throw CancelledError();
    }
    if (AddBitmap(inputs[index], index, pictures.Next(), archive, run)) {
      ++run.report.stored;
    }
    // A one-file list is done after its only file.
    delegate_.Progress(RunDelegate::Bar::kFirst,
                       count == 1 ? 100
                                  : codec::RoundedPercent(static_cast<std::int64_t>(index),
                                                          static_cast<std::int64_t>(count - 1)));
    delegate_.Progress(RunDelegate::Bar::kSecond, 0);
  }
  const PictureMapper* target = pictures.TargetPalette();
  return target ? target->Palette() : Bytes{};
}

bool EncodeRun::AddBitmap(const std::string& path, std::size_t index, AheadPicture next,
                          formats::ArchiveWriter& archive, Stored& run) {
  for (const std::string& note : next.notes) {
    delegate_.Log(note, false);
  }
  try {
    if (next.fault) {
      std::rethrow_exception(next.fault);
    }
  } catch (const FaultError& error) {
    if (error.Kind() == FaultKind::kTooManyColours) {
      run.tooManyColours = error.Details();
    } else if (!run.tooManyColours) {
      Report(run, PictureNotStored(error.Details(), options_.optionWords));
    }
    return false;
  }
  if (run.tooManyColours) {
    return false;  // the run only counts colours now
  }
  SourcePicture& picture = next.picture;
  if (!(options_.sheet ? StoreFrames(path, picture, archive, run)
                       : StoreEntry(path, path, picture.stored, picture.changes, archive, run))) {
    return false;
  }
  // The trailer is the palette of the last picture stored; one that cannot be
  // stored leaves it alone.
  run.lastOnTarget = picture.onTargetPalette;
  run.anyOnTarget = run.anyOnTarget || picture.onTargetPalette;
  if (picture.onTargetPalette) {
    run.palettes.AddOnTarget(index, UsedEntriesOf(picture.stored.storedRows));
  } else {
    run.palettes.Add(index, picture.stored.palette);
  }
  run.trailer = std::move(picture.stored.palette);
  return true;
}

bool EncodeRun::StoreFrames(const std::string& path, SourcePicture& picture,
                            formats::ArchiveWriter& archive, Stored& run) {
  bool stored = false;
  bool first = true;
  const auto storeFrame = [&](SheetFrame&& cut) {
    const bool firstFrame = std::exchange(first, false);
    const std::string number = std::to_string(cut.number + 1);
    // A full archive ends the cutting: one word for this frame and the rest.
    if (archive.Count() >= formats::kMaxEntries) {
      Report(run, PictureNotStored({.kind = FaultKind::kArchiveFull,
                                    .path = path + " (frames " + number + " on)"}));
      return false;
    }
    const std::string shown = path + " (frame " + number + ")";
    formats::StoredPicture frame{.width = static_cast<std::int32_t>(cut.image.width),
                                 .height = static_cast<std::int32_t>(cut.image.height),
                                 .palette = {},
                                 .storedRows = std::move(cut.image.pixels),
                                 // What is said of the picture is said once, at its first frame.
                                 .rowsWhole = !firstFrame || picture.stored.rowsWhole};
    stored |=
        StoreEntry(path, shown, frame,
                   firstFrame ? std::span<const Fault>(picture.changes) : std::span<const Fault>(),
                   archive, run);
    return true;
  };
  try {
    CutSheet(ImageOf(picture.stored), options_.sheet->width, options_.sheet->height,
             options_.skipEmpty, storeFrame);
  } catch (FaultError& error) {
    if (!first) {
      throw;  // not the sheet's fault but the storing of a frame's
    }
    error.SetPath(path);
    Report(run, PictureNotStored(error.Details()));
    return false;
  }
  return stored;
}

bool EncodeRun::StoreEntry(const std::string& path, const std::string& shown,
                           const formats::StoredPicture& picture, std::span<const Fault> changes,
                           formats::ArchiveWriter& archive, Stored& run) {
  if (archive.Count() >= formats::kMaxEntries) {
    Report(run, PictureNotStored({.kind = FaultKind::kArchiveFull, .path = path}));
    return false;
  }
  const std::optional<Bytes> coded =
      CodeEntry(picture, path, shown, changes, delegate_,
                [&](const Problem& problem) { Report(run, problem); });
  if (!coded) {
    return false;
  }
  archive.AddEntry(picture.width, picture.height, *coded);
  return true;
}

void EncodeRun::Report(Stored& run, const Problem& problem) {
  if (problem.CountsAgainstRun()) {
    ++run.report.problems;
  }
  delegate_.Report(problem);
}

void EncodeRun::SyncFolders(Stored& run) {
  SyncRunFolders(files_, run.report, [&](const Problem& problem) { Report(run, problem); });
}

}  // namespace sprite::pipeline
