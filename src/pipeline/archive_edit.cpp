#include "pipeline/archive_edit.h"

#include <algorithm>
#include <optional>

#include "codec/rounded_percent.h"
#include "common/error.h"
#include "common/text.h"
#include "formats/palette_file.h"
#include "formats/sprite_archive.h"
#include "pipeline/entry_coding.h"
#include "pipeline/png_file_source.h"
#include "pipeline/run_folders.h"
#include "pipeline/stored_palettes.h"

namespace sprite::pipeline {
namespace {

// A run of kept entries is copied this many at a time, the stop asked for between.
constexpr std::int32_t kEntriesPerCopy = 2048;

std::string Pictures(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " picture" : " pictures");
}

}  // namespace

RunReport ArchiveEditRun::Run(const std::string& archivePath, const ArchiveEdit& edit) {
  report_ = RunReport{};
  report_.listed = static_cast<std::int32_t>(edit.files.size());
  // The archive is read and replaced; a picture that is the archive itself
  // would be read from what it replaces.
  const std::optional<files::FileId> archiveId = files_.IdOf(archivePath);
  for (const std::string& file : edit.files) {
    if (archiveId && files_.IdOf(file) == archiveId) {
      report_.outputFailed = true;
      Report(ArchiveNotWritten(
          {.kind = FaultKind::kOutputIsInput, .path = archivePath, .text = file}, true));
      return report_;
    }
  }
  std::unique_ptr<ByteSource> source;
  try {
    source = files_.OpenForReading(archivePath);
  } catch (FaultError& error) {
    error.SetPath(archivePath);
    Report(ArchiveNotChanged(error.Details()));
    return report_;
  }
  if (!ReadArchive(archivePath, *source)) {
    return report_;
  }
  const auto count = static_cast<std::int32_t>(starts_.size() - 1);
  std::vector<EditPiece> pieces;
  try {
    pieces = PlanEdit(edit, count);
  } catch (FaultError& error) {
    error.SetPath(archivePath);
    report_.noSuchEntry = true;
    Report(NoSuchEntry(error.Details()));
    return report_;
  }
  if (pieces.empty()) {
    Report(NothingChanged(archivePath, "deleting every entry would leave no picture"));
    return report_;
  }

  std::unique_ptr<files::ReplacingFile> out;
  try {
    out = files_.CreateReplacing(archivePath);
    formats::ArchiveWriter archive(*out);
    if (WritePieces(archivePath, edit, pieces, *source, archive)) {
      out->Commit();
      report_.completed = true;
      report_.outputWritten = true;
      report_.outputBytes = archive.Size();
      report_.outputPath = files_.FullPath(archivePath);
      report_.stored = archive.Count();
      delegate_.Log(Summary(edit, archivePath, archive.Count(), archive.Size()), false);
    } else {
      Report(NothingChanged(archivePath));
    }
  } catch (FaultError& error) {
    report_.outputFailed = true;
    error.SetPath(archivePath);
    Report(ArchiveNotWritten(error.Details(), true));
  } catch (const CancelledError&) {
    report_.cancelled = true;
    Report(Stopped("the archive " + Quoted(archivePath)));
  } catch (const Error& error) {
    report_.outputFailed = true;
    Report(ArchiveNotWritten(
        {.kind = FaultKind::kUnexpected, .path = archivePath, .text = error.what()}, true));
  }
  out.reset();
  SyncRunFolders(files_, report_, [this](const Problem& problem) { Report(problem); });
  delegate_.Finishing();
  return report_;
}

bool ArchiveEditRun::ReadArchive(const std::string& archivePath, ByteSource& source) {
  starts_.clear();
  try {
    formats::ArchiveReader reader(source);
    palette_ = reader.Palette();
    // Only the heads are read: the coded streams are copied, never looked at.
    starts_.reserve(static_cast<std::size_t>(std::max<std::int16_t>(reader.Count(), 0)) + 1);
    std::uint64_t end = formats::kArchiveHeaderSize;
    while (const auto place = reader.NextPlace()) {
      starts_.push_back(place->offset);
      end = place->End();
    }
    reader.CheckEntriesFill();
    starts_.push_back(end);
    return true;
  } catch (FaultError& error) {
    error.SetPath(archivePath);
    Report(ArchiveNotChanged(error.Details()));
    return false;
  }
}

bool ArchiveEditRun::WritePieces(const std::string& archivePath, const ArchiveEdit& edit,
                                 const std::vector<EditPiece>& pieces, ByteSource& source,
                                 formats::ArchiveWriter& archive) {
  // Each picture of the new archive goes by a number in StoredPalettes: the
  // files by their index, the runs of kept entries after them.
  const std::size_t runBase = edit.files.size();
  StoredPalettes palettes(pieces.size());
  std::int64_t total = 0;
  for (const EditPiece& piece : pieces) {
    total += piece.Count();
  }
  std::optional<PictureMapper> mapper;
  PngFileSource pngs(files_, [&]() -> PictureMapper& {
    if (!mapper) {
      mapper = GivenPaletteMapper(formats::PaletteOfTrailer(palette_), options_);
    }
    return *mapper;
  });
  PictureFileSource pictures(files_, pngs);
  const Bytes archivePalette = formats::PaletteOfTrailer(palette_).palette;
  Bytes lastPalette = archivePalette;
  std::string lastPath;
  std::int64_t done = 0;
  for (std::size_t p = 0; p < pieces.size(); ++p) {
    const EditPiece& piece = pieces[p];
    if (piece.Kept()) {
      for (std::int32_t first = piece.first; first <= piece.last; first += kEntriesPerCopy) {
        if (delegate_.ShouldStop()) {
          throw CancelledError();
        }
        const std::int32_t last = std::min(piece.last, first + kEntriesPerCopy - 1);
        const std::uint64_t from = starts_[static_cast<std::size_t>(first - 1)];
        archive.CopyEntries(source, from, starts_[static_cast<std::size_t>(last)] - from,
                            last - first + 1);
        done += last - first + 1;
        delegate_.Progress(RunDelegate::Bar::kFirst, codec::RoundedPercent(done, total));
      }
      palettes.AddOnTarget(runBase + p);
      lastPalette = archivePalette;
      continue;
    }
    if (delegate_.ShouldStop()) {
      throw CancelledError();
    }
    const std::string& path = edit.files[piece.file];
    std::optional<SourcePicture> picture;
    try {
      picture = pictures.Read(path);
    } catch (const FaultError& error) {
      Report(PictureNotStored(error.Details()));
      return false;
    }
    if (archive.Count() >= formats::kMaxEntries) {
      Report(PictureNotStored({.kind = FaultKind::kArchiveFull, .path = path}));
      return false;
    }
    const std::optional<Bytes> coded =
        CodeEntry(picture->stored, path, path, picture->changedPixels, delegate_,
                  [this](const Problem& problem) { Report(problem); });
    if (!coded) {
      return false;
    }
    archive.AddEntry(picture->stored.width, picture->stored.height, *coded);
    if (picture->onTargetPalette) {
      palettes.AddOnTarget(piece.file);
    } else {
      palettes.Add(piece.file, picture->stored.palette);
    }
    lastPalette = std::move(picture->stored.palette);
    lastPath = path;
    delegate_.Progress(RunDelegate::Bar::kFirst, codec::RoundedPercent(++done, total));
  }
  // Every picture decodes with the last one's palette: name those it does not fit.
  std::int32_t keptRecoloured = 0;
  for (const std::size_t index : palettes.DifferingFromLast(archivePalette)) {
    if (index < runBase) {
      Report(StoredAnyway({.kind = FaultKind::kOtherColours, .path = edit.files[index]}));
    } else {
      keptRecoloured += pieces[index - runBase].Count();
    }
  }
  if (keptRecoloured > 0) {
    Report(EntriesRecoloured(archivePath, keptRecoloured, lastPath));
  }
  archive.Finish(lastPalette);
  return true;
}

std::string ArchiveEditRun::Summary(const ArchiveEdit& edit, const std::string& archivePath,
                                    std::int32_t count, std::uint64_t size) const {
  using Kind = ArchiveEdit::Kind;
  const auto entry = [&](std::size_t i) { return std::to_string(edit.entries[i].first); };
  const auto files = static_cast<std::int64_t>(edit.files.size());
  std::string done;
  switch (edit.kind) {
    case Kind::kReplace:
      done = "Replaced entry " + entry(0);
      break;
    case Kind::kInsert:
      done = "Inserted " + Pictures(files) + " before entry " + entry(0);
      break;
    case Kind::kAppend:
      done = "Appended " + Pictures(files);
      break;
    case Kind::kDelete: {
      const auto deleted = static_cast<std::int64_t>(starts_.size() - 1) - count;
      done = "Deleted " + std::to_string(deleted) + (deleted == 1 ? " entry" : " entries");
      break;
    }
    case Kind::kMove:
      done = "Moved entry " + entry(0) + " to " + entry(1);
      break;
  }
  return done + "; " + Quoted(archivePath) + " holds " + Pictures(count) + ", " +
         std::to_string(size) + " bytes";
}

void ArchiveEditRun::Report(const Problem& problem) {
  ++report_.problems;
  delegate_.Report(problem);
}

}  // namespace sprite::pipeline
