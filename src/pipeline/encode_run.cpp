#include "pipeline/encode_run.h"

#include <algorithm>
#include <optional>
#include <span>

#include "codec/rounded_percent.h"
#include "common/error.h"
#include "common/text.h"
#include "formats/entry_limits.h"
#include "formats/sprite_archive.h"
#include "pipeline/entry_coding.h"
#include "pipeline/palette_input.h"
#include "pipeline/run_files_check.h"
#include "pipeline/run_folders.h"

namespace sprite::pipeline {

namespace {

// The picture as its stored rows show it, whole rows only: a sheet to cut.
IndexedImage ImageOf(const formats::StoredPicture& picture) {
  const auto width = static_cast<std::uint32_t>(picture.width);
  const std::size_t rows = picture.storedRows.size() / width;
  return {width, static_cast<std::uint32_t>(rows),
          Bytes(picture.storedRows.begin(),
                picture.storedRows.begin() + static_cast<std::ptrdiff_t>(rows * width))};
}

}  // namespace

PictureMapper GivenPaletteMapper(const formats::PaletteFile& palette,
                                 const EncodeOptions& options) {
  return PictureMapper::ForGivenPalette(palette, options.alpha);
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
  if (!options_.paletteFile.empty()) {
    run.reads.push_back({options_.paletteFile, "the palette file"});
  }
  run.writes.push_back({archivePath, "the archive"});
  return run;
}

EncodeRun::EncodeRun(files::FileSystem& files, RunDelegate& delegate, EncodeOptions options)
    : files_(files),
      delegate_(delegate),
      options_(std::move(options)),
      pngs_(files, [this]() -> PictureMapper& { return TargetPalette(); }),
      source_(files, pngs_) {}

EncodeRun::~EncodeRun() = default;

RunReport EncodeRun::Run(const std::vector<std::string>& inputs, const std::string& archivePath,
                         Bytes& archivePalette) {
  if (inputs.size() > static_cast<std::size_t>(formats::kMaxEntries)) {
    throw InvalidArgumentError("an archive holds at most 32767 pictures; " +
                               std::to_string(inputs.size()) + " were listed");
  }
  report_ = RunReport{};
  report_.listed = static_cast<std::int32_t>(inputs.size());
  inputs_ = &inputs;
  mapper_.reset();
  keepFrom_.reset();
  pngs_.StopReadAhead();
  palettes_ = StoredPalettes(inputs.size());
  lastOnTarget_ = false;
  tooManyColours_.reset();
  // An archive never replaces a file it is made of: a run that did would leave
  // nothing to make it again from.
  if (auto refused = CheckRunFiles(files_, delegate_, RunFilesOf(inputs, archivePath))) {
    report_.outputFailed = true;
    Report(*refused);
    SyncFolders();
    return report_;
  }
  if (!options_.unreadInputs.empty()) {
    for (const Problem& problem : options_.unreadInputs) {
      Report(problem);
    }
    return report_;
  }
  const bool existing = files_.IsPlainFile(archivePath);
  std::unique_ptr<files::ReplacingFile> archiveFile;
  try {
    archiveFile = files_.CreateReplacing(archivePath);
  } catch (FaultError& error) {
    report_.outputFailed = true;
    error.SetPath(archivePath);
    Report(ArchiveNotWritten(error.Details(), false));
    SyncFolders();
    return report_;
  }

  // The palette each stored picture leaves; a refused run stores none.
  Bytes trailer = archivePalette;
  bool refusedRun = false;
  try {
    formats::ArchiveWriter archive(*archiveFile);
    delegate_.Log("Init", false);

    std::optional<Problem> refused;
    if (!options_.paletteFile.empty()) {
      try {
        mapper_ = GivenPaletteMapper(ReadPaletteInput(files_, options_.paletteFile), options_);
      } catch (FaultError& error) {
        error.SetPath(options_.paletteFile);
        refused = NothingEncoded(error.Details(), options_.optionWords);
      }
    }

    const std::size_t count = refused ? 0 : inputs.size();
    for (std::size_t index = 0; index < count; ++index) {
      if (delegate_.ShouldStop()) {
        throw CancelledError();
      }
      current_ = index;
      if (AddBitmap(index, archive, trailer)) {
        ++report_.stored;
      }
      // A one-file list is done after its only file.
      delegate_.Progress(RunDelegate::Bar::kFirst,
                         count == 1 ? 100
                                    : codec::RoundedPercent(static_cast<std::int64_t>(index),
                                                            static_cast<std::int64_t>(count - 1)));
      delegate_.Progress(RunDelegate::Bar::kSecond, 0);
    }
    if (tooManyColours_) {
      refused = NothingEncoded(*tooManyColours_, options_.optionWords);
    }

    if (refused) {
      report_.stored = 0;
      refusedRun = true;
      Report(*refused);
    } else {
      // PNG pictures are stored against the target palette as it is finished.
      const Bytes target = mapper_ ? mapper_->Palette() : Bytes{};
      if (lastOnTarget_) {
        trailer = target;
      }
      // Every picture decodes with the last one's palette: name those it does not fit.
      for (const std::size_t index : palettes_.DifferingFromLast(target)) {
        Report(StoredAnyway({.kind = FaultKind::kOtherColours, .path = inputs[index]}));
      }

      delegate_.Log("Completed ", true);
      if (report_.stored == 0 && existing) {
        // An archive of no pictures in place of a file that was there would
        // only lose it.
        Report(LeftAsItWas(archivePath));
      } else {
        archive.Finish(trailer);
        archiveFile->Commit();
        report_.outputBytes = archive.Size();
        report_.outputWritten = true;
        report_.outputPath = files_.FullPath(archivePath);
      }
      report_.completed = true;
    }
  } catch (FaultError& error) {
    report_.outputFailed = true;
    error.SetPath(archivePath);
    Report(ArchiveNotWritten(error.Details(), existing));
  } catch (const CancelledError&) {
    report_.cancelled = true;
    Report(Stopped("the archive " + Quoted(archivePath)));
  } catch (const Error& error) {
    Report(ArchiveNotWritten(
        {.kind = FaultKind::kUnexpected, .path = archivePath, .text = error.what()}, existing));
  }
  if (!refusedRun) {
    archivePalette = std::move(trailer);
  }
  archiveFile.reset();
  SyncFolders();
  delegate_.Finishing();
  inputs_ = nullptr;
  pngs_.StopReadAhead();
  return report_;
}

bool EncodeRun::AddBitmap(std::size_t index, formats::ArchiveWriter& archive,
                          Bytes& archivePalette) {
  const std::string& path = (*inputs_)[index];
  KeepMoreAhead();
  SourcePicture picture;
  try {
    picture = source_.Read(path);
  } catch (const FaultError& error) {
    if (error.Kind() == FaultKind::kTooManyColours) {
      tooManyColours_ = error.Details();
    } else if (!tooManyColours_) {
      Report(PictureNotStored(error.Details(), options_.optionWords));
    }
    return false;
  }
  if (tooManyColours_) {
    return false;  // the run only counts colours now
  }

  bool stored = false;
  if (!options_.sheet) {
    stored = StoreEntry(path, path, picture.stored, picture.changes, archive);
  } else {
    std::vector<SheetFrame> frames;
    try {
      frames = CutSheet(ImageOf(picture.stored), options_.sheet->width, options_.sheet->height,
                        options_.skipEmpty);
    } catch (FaultError& error) {
      error.SetPath(path);
      Report(PictureNotStored(error.Details()));
      return false;
    }
    for (std::size_t i = 0; i < frames.size(); ++i) {
      formats::StoredPicture frame{.width = static_cast<std::int32_t>(frames[i].image.width),
                                   .height = static_cast<std::int32_t>(frames[i].image.height),
                                   .palette = {},
                                   .storedRows = std::move(frames[i].image.pixels),
                                   // What is said of the picture is said once, at its first frame.
                                   .rowsWhole = i > 0 || picture.stored.rowsWhole};
      const std::string shown = path + " (frame " + std::to_string(frames[i].number + 1) + ")";
      stored |= StoreEntry(
          path, shown, frame,
          i == 0 ? std::span<const Fault>(picture.changes) : std::span<const Fault>(), archive);
    }
  }
  if (!stored) {
    return false;
  }
  // The trailer is the palette of the last picture stored; one that cannot be
  // stored leaves it alone.
  lastOnTarget_ = picture.onTargetPalette;
  if (picture.onTargetPalette) {
    palettes_.AddOnTarget(index);
  } else {
    palettes_.Add(index, picture.stored.palette);
  }
  archivePalette = std::move(picture.stored.palette);
  return true;
}

bool EncodeRun::StoreEntry(const std::string& path, const std::string& shown,
                           const formats::StoredPicture& picture, std::span<const Fault> changes,
                           formats::ArchiveWriter& archive) {
  if (archive.Count() >= formats::kMaxEntries) {
    Report(PictureNotStored({.kind = FaultKind::kArchiveFull, .path = path}));
    return false;
  }
  const std::optional<Bytes> coded = CodeEntry(picture, path, shown, changes, delegate_,
                                               [this](const Problem& problem) { Report(problem); });
  if (!coded) {
    return false;
  }
  archive.AddEntry(picture.width, picture.height, *coded);
  return true;
}

PictureMapper& EncodeRun::TargetPalette() {
  if (!mapper_) {
    // Made at the first PNG picture, from it and the files after it: a run
    // without PNG pictures opens no file twice.
    const std::span<const std::string> rest(
        inputs_->begin() + static_cast<std::ptrdiff_t>(current_), inputs_->end());
    std::size_t kept = 0;
    mapper_ = TargetPaletteOf(files_, rest, options_.alpha, &pngs_.StartReadAhead(), &kept);
    if (kept > 0) {
      keepFrom_ = current_ + kept;
    }
    if (const auto k = mapper_->SwappedIndex()) {
      delegate_.Log(
          "PNG palette: the see-through index " + std::to_string(*k) + " and index 0 trade places",
          false);
    }
    if (const auto to = mapper_->MovedIndex0(); to && !to->nearest) {
      delegate_.Log(
          "PNG palette: the opaque colour of index 0 moves to index " + std::to_string(to->index),
          false);
    }
  }
  return *mapper_;
}

void EncodeRun::KeepMoreAhead() {
  PngReadAhead* ahead = pngs_.ReadAhead();
  if (!ahead || !keepFrom_) {
    return;
  }
  // Never the picture being read now or one before it: the run reads those itself.
  keepFrom_ = std::max(*keepFrom_, current_ + 1);
  while (*keepFrom_ < inputs_->size()) {
    switch (KeepForPixels(files_, (*inputs_)[*keepFrom_], *ahead)) {
      case Kept::kYes:
        ++*keepFrom_;
        break;
      case Kept::kNoRoomNow:
        return;
      case Kept::kNever:
        // A bitmap or a large file stops it, so that no file is opened twice
        // but that one.
        keepFrom_.reset();
        return;
    }
  }
}

void EncodeRun::Report(const Problem& problem) {
  ++report_.problems;
  delegate_.Report(problem);
}

void EncodeRun::SyncFolders() {
  SyncRunFolders(files_, report_, [this](const Problem& problem) { Report(problem); });
}

}  // namespace sprite::pipeline
