#include "pipeline/encode_run.h"

#include <algorithm>
#include <optional>

#include "codec/rle_decoder.h"
#include "codec/rle_encoder.h"
#include "codec/rounded_percent.h"
#include "common/error.h"
#include "common/text.h"
#include "formats/entry_limits.h"
#include "formats/sprite_archive.h"
#include "pipeline/bitmap_file_source.h"
#include "pipeline/stored_palettes.h"

namespace sprite::pipeline {

EncodeRun::EncodeRun(files::FileSystem& files, RunDelegate& delegate)
    : files_(files), delegate_(delegate), source_(std::make_unique<BitmapFileSource>(files)) {}

EncodeRun::~EncodeRun() = default;

RunReport EncodeRun::Run(const std::vector<std::string>& inputs, const std::string& archivePath,
                         Bytes& archivePalette) {
  if (inputs.size() > static_cast<std::size_t>(formats::kMaxEntries)) {
    throw InvalidArgumentError("an archive holds at most 32767 pictures; " +
                               std::to_string(inputs.size()) + " were listed");
  }
  report_ = RunReport{};
  report_.listed = static_cast<std::int32_t>(inputs.size());
  // An archive never replaces a picture it is made of: a run that did would
  // leave nothing to make it again from.
  const std::optional<files::FileId> existing = files_.IdOf(archivePath);
  if (existing) {
    for (const std::string& input : inputs) {
      if (files_.IdOf(input) == existing) {
        report_.outputFailed = true;
        Report(ArchiveNotWritten(
            {.kind = FaultKind::kOutputIsInput, .path = archivePath, .text = input}, false));
        SyncFolders();
        return report_;
      }
    }
  }
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

  try {
    formats::ArchiveWriter archive(*archiveFile);
    delegate_.Log("Init", false);

    StoredPalettes palettes;
    const std::size_t count = inputs.size();
    for (std::size_t index = 0; index < count; ++index) {
      if (delegate_.ShouldStop()) {
        throw CancelledError();
      }
      if (AddBitmap(inputs[index], archive, archivePalette)) {
        ++report_.stored;
        palettes.Add(index, archivePalette);
      }
      // A one-file list is done after its only file.
      delegate_.Progress(RunDelegate::Bar::kFirst,
                         count == 1 ? 100
                                    : codec::RoundedPercent(static_cast<std::int64_t>(index),
                                                            static_cast<std::int64_t>(count - 1)));
      delegate_.Progress(RunDelegate::Bar::kSecond, 0);
    }

    // Every picture decodes with the last one's palette: name those it does not fit.
    for (const std::size_t index : palettes.DifferingFromLast()) {
      Report(StoredAnyway({.kind = FaultKind::kOtherColours, .path = inputs[index]}));
    }

    delegate_.Log("Completed ", true);
    if (report_.stored == 0 && existing) {
      // An archive of no pictures in place of a file that was there would
      // only lose it.
      Report(LeftAsItWas(archivePath));
    } else {
      archive.Finish(archivePalette);
      archiveFile->Commit();
      report_.outputBytes = archive.Size();
      report_.outputWritten = true;
      report_.outputPath = files_.FullPath(archivePath);
    }
    report_.completed = true;
  } catch (FaultError& error) {
    report_.outputFailed = true;
    error.SetPath(archivePath);
    Report(ArchiveNotWritten(error.Details(), existing.has_value()));
  } catch (const CancelledError&) {
    report_.cancelled = true;
    Report(Stopped("the archive " + Quoted(archivePath)));
  } catch (const Error& error) {
    Report(ArchiveNotWritten(
        {.kind = FaultKind::kUnexpected, .path = archivePath, .text = error.what()},
        existing.has_value()));
  }
  archiveFile.reset();
  SyncFolders();
  delegate_.Finishing();
  return report_;
}

bool EncodeRun::AddBitmap(const std::string& path, formats::ArchiveWriter& archive,
                          Bytes& archivePalette) {
  formats::StoredPicture picture;
  try {
    picture = source_->Read(path);
  } catch (const FaultError& error) {
    Report(PictureNotStored(error.Details()));
    return false;
  }

  delegate_.Log("Adding: " + path, true);
  if (!picture.rowsWhole) {
    Report(StoredAnyway({.kind = FaultKind::kRowsNotWhole, .path = path}));
  }

  Bytes coded;
  codec::RLECompress2(picture.storedRows, coded, picture.width);
  if (auto misfit = formats::CheckEntryFits({0, picture.width, picture.height, coded.size()})) {
    misfit->path = path;
    Report(PictureNotStored(std::move(*misfit)));
    return false;
  }
  if (codec::RLEDecompress(coded) == picture.storedRows) {
    delegate_.Log("RLE: OK, Compressed and orig data are identical ;]", false);
  } else {
    Report(StoredAnyway({.kind = FaultKind::kCodedRowsDiffer, .path = path}));
  }

  // The trailer is the palette of the last picture stored; one that cannot be
  // stored leaves it alone.
  archivePalette = std::move(picture.palette);
  archive.AddEntry(picture.width, picture.height, coded);
  return true;
}

void EncodeRun::Report(const Problem& problem) {
  ++report_.problems;
  delegate_.Report(problem);
}

void EncodeRun::SyncFolders() {
  try {
    files_.SyncFolders();
  } catch (const FaultError& error) {
    report_.outputFailed = true;
    report_.completed = false;
    Report(OutputNotWritten(error.Details(), false));
  }
}

}  // namespace sprite::pipeline
