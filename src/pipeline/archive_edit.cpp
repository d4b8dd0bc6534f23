#include "pipeline/archive_edit.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <utility>

#include "codec/rounded_percent.h"
#include "common/error.h"
#include "common/text.h"
#include "files/write_behind_file.h"
#include "formats/palette_file.h"
#include "formats/sprite_archive.h"
#include "pipeline/encode_read_ahead.h"
#include "pipeline/entry_coding.h"
#include "pipeline/run_files_check.h"
#include "pipeline/run_folders.h"
#include "pipeline/stored_palettes.h"

namespace sprite::pipeline {
namespace {

// The stop is asked for after so many entries copied.
constexpr std::int32_t kEntriesPerLook = 1024;

std::string Pictures(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " picture" : " pictures");
}

// How often a change waiting for another one of its archive looks again.
constexpr std::chrono::milliseconds kChangeWaitLook{50};

// A fault of the archive being read, as opposed to one of the file written.
struct ArchiveDamaged {
  Fault fault;
};

}  // namespace

// The entries an edit keeps, read once from front to back where it keeps
// their order (every edit but a move), so that the archive is read as often
// as cp reads it; an entry it puts before its place is read again through a
// reader of its own. Each head is checked as it is read, and the coded
// streams are copied as they are.
class KeptEntries {
 public:
  explicit KeptEntries(ByteSource& file) : file_(file), reader_(Checked(file)) {}

  const formats::ArchiveReader& Reader() const { return reader_; }

  // Appends entries `first` to `last` to `archive`, telling `done` of each.
  template <typename Done>
  void Copy(std::int32_t first, std::int32_t last, formats::ArchiveWriter& archive, Done done) {
    std::optional<formats::ArchiveReader> back;
    formats::ArchiveReader* reader = &reader_;
    std::int32_t* next = &next_;
    std::int32_t backNext = 1;
    if (first < next_) {
      back.emplace(file_);
      reader = &*back;
      next = &backNext;
    }
    Read([&] {
      for (; *next < first; ++*next) {
        reader->NextPlace();
      }
    });
    for (std::int32_t k = first; k <= last; ++k) {
      std::optional<formats::ArchiveEntry> entry;
      Read([&] { entry = reader->Next(); });
      archive.AddEntry(entry->width, entry->height, entry->coded);
      ++*next;
      done();
    }
  }

  // Steps over the entries left and checks that they end where the palette starts.
  void Finish() {
    Read([&] {
      while (reader_.NextPlace()) {
      }
      reader_.CheckEntriesFill();
    });
  }

 private:
  static formats::ArchiveReader Checked(ByteSource& file) {
    std::optional<formats::ArchiveReader> reader;
    Read([&] { reader.emplace(file); });
    return *reader;
  }
  template <typename Reading>
  static void Read(const Reading& reading) {
    try {
      reading();
    } catch (const FaultError& error) {
      throw ArchiveDamaged{error.Details()};
    }
  }

  ByteSource& file_;
  formats::ArchiveReader reader_;
  std::int32_t next_ = 1;  // the number of the entry reader_ reads next
};

RunReport ArchiveEditRun::Run(const std::string& archivePath, const ArchiveEdit& edit) {
  report_ = RunReport{};
  report_.listed = static_cast<std::int32_t>(edit.files.size());
  // The archive is read and replaced, as a change means; any other file it
  // reads (a picture that is the archive itself, a list) must not be it.
  files::RunFiles run{.reads = {}, .writes = {{archivePath, "the archive"}}, .numbered = {}};
  for (const std::string& file : edit.files) {
    run.reads.push_back({file, "the picture"});
  }
  for (const std::string& list : edit.lists) {
    run.reads.push_back({list, "the list file"});
  }
  if (auto refused = CheckRunFiles(files_, delegate_, std::move(run))) {
    report_.outputFailed = true;
    Report(*refused);
    return report_;
  }
  std::unique_ptr<files::ReplacingFile> out;
  try {
    std::unique_ptr<ByteSource> source;
    try {
      source = OpenForChange(archivePath);
    } catch (const FaultError& error) {
      throw ArchiveDamaged{error.Details()};
    }
    KeptEntries kept(*source);
    const std::int16_t count = kept.Reader().Count();
    if (count < 0) {
      throw ArchiveDamaged{{.kind = FaultKind::kNegativeCount, .value = count}};
    }
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
    out = std::make_unique<files::WriteBehindFile>(files_.CreateReplacing(archivePath));
    formats::ArchiveWriter archive(*out);
    if (WritePieces(archivePath, edit, pieces, kept, archive)) {
      kept.Finish();
      out->Commit();
      report_.completed = true;
      report_.outputWritten = true;
      report_.outputBytes = archive.Size();
      report_.outputPath = files_.FullPath(archivePath);
      report_.stored = archive.Count();
      delegate_.Log(Summary(edit, archivePath, count, archive.Count(), archive.Size()), false);
    } else {
      Report(NothingChanged(archivePath));
    }
  } catch (ArchiveDamaged& damaged) {
    damaged.fault.path = archivePath;
    Report(ArchiveNotChanged(damaged.fault));
  } catch (FaultError& error) {
    report_.outputFailed = true;
    error.SetPath(archivePath);
    Report(ArchiveNotWritten(error.Details(), true));
  } catch (const CancelledError&) {
    report_.cancelled = true;
    Report(Stopped("the changed archive " + Quoted(archivePath)));
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

std::unique_ptr<ByteSource> ArchiveEditRun::OpenForChange(const std::string& archivePath) {
  bool told = false;
  while (true) {
    if (std::unique_ptr<ByteSource> source = files_.OpenForChange(archivePath)) {
      return source;
    }
    if (!std::exchange(told, true)) {
      Report(WaitingForChange(archivePath));
    }
    if (delegate_.ShouldStop()) {
      throw CancelledError();
    }
    std::this_thread::sleep_for(kChangeWaitLook);
  }
}

bool ArchiveEditRun::WritePieces(const std::string& archivePath, const ArchiveEdit& edit,
                                 const std::vector<EditPiece>& pieces, KeptEntries& kept,
                                 formats::ArchiveWriter& archive) {
  // Each picture of the new archive goes by a number in StoredPalettes: the
  // files by their index, the runs of kept entries after them.
  const std::size_t runBase = edit.files.size();
  StoredPalettes palettes(pieces.size());
  std::int64_t total = 0;
  for (const EditPiece& piece : pieces) {
    total += piece.Count();
  }
  if (const std::optional<std::size_t> past = FirstFilePastFullArchive(pieces)) {
    // Refused before any picture is read or coded, wherever the new ones go.
    Report(PictureNotStored({.kind = FaultKind::kArchiveFull, .path = edit.files[*past]}));
    return false;
  }
  const formats::PaletteFile archivePalette = formats::PaletteOfTrailer(kept.Reader().Palette());
  // Read as Encode reads them with the archive as its palette file, on a
  // second thread while the kept entries are copied.
  EncodeReadAhead pictures(files_, edit.files, options_.alpha,
                           GivenPaletteMapper(archivePalette, options_));
  Bytes lastPalette = archivePalette.palette;
  std::string lastPath;
  std::int64_t done = 0;
  const auto entryDone = [&] {
    if (++done % kEntriesPerLook == 0) {
      delegate_.Progress(RunDelegate::Bar::kFirst, codec::RoundedPercent(done, total));
      if (delegate_.ShouldStop()) {
        throw CancelledError();
      }
    }
  };
  bool anyMapped = false;
  for (std::size_t p = 0; p < pieces.size(); ++p) {
    const EditPiece& piece = pieces[p];
    if (piece.Kept()) {
      kept.Copy(piece.first, piece.last, archive, entryDone);
      palettes.AddOnTarget(runBase + p);
      lastPalette = archivePalette.palette;
      continue;
    }
    if (delegate_.ShouldStop()) {
      throw CancelledError();
    }
    const std::string& path = edit.files[piece.file];
    AheadPicture next = pictures.Next();
    try {
      if (next.fault) {
        std::rethrow_exception(next.fault);
      }
    } catch (const FaultError& error) {
      Report(PictureNotStored(error.Details(), options_.optionWords));
      return false;
    }
    SourcePicture& picture = next.picture;
    const std::optional<Bytes> coded =
        CodeEntry(picture.stored, path, path, picture.changes, delegate_,
                  [this](const Problem& problem) { Report(problem); });
    if (!coded) {
      return false;
    }
    archive.AddEntry(picture.stored.width, picture.stored.height, *coded);
    anyMapped = anyMapped || picture.onTargetPalette;
    if (picture.onTargetPalette) {
      palettes.AddOnTarget(piece.file, UsedEntriesOf(picture.stored.storedRows));
    } else {
      palettes.Add(piece.file, picture.stored.palette);
    }
    lastPalette = std::move(picture.stored.palette);
    lastPath = path;
    entryDone();
  }
  // Every picture decodes with the last one's palette: name those it does not fit.
  std::int32_t keptRecoloured = 0;
  for (const std::size_t index : palettes.DifferingFromLast(archivePalette.palette)) {
    if (index < runBase) {
      Report(StoredAnyway({.kind = FaultKind::kOtherColours, .path = edit.files[index]}));
    } else {
      keptRecoloured += pieces[index - runBase].Count();
    }
  }
  if (keptRecoloured > 0) {
    Report(EntriesRecoloured(archivePath, keptRecoloured, lastPath));
  }
  // Bitmaps keep their own palettes: a dithering that no added picture took is said.
  const colour::Dither dither = options_.mapping.dither;
  if (dither != colour::Dither::kNone && !edit.files.empty() && !anyMapped) {
    Report(MappingUnused(
        {.kind = FaultKind::kDitherUnused, .text = std::string(colour::DitherName(dither))},
        options_.optionWords));
  }
  archive.Finish(lastPalette);
  return true;
}

std::string ArchiveEditRun::Summary(const ArchiveEdit& edit, const std::string& archivePath,
                                    std::int32_t before, std::int32_t count,
                                    std::uint64_t size) const {
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
    case Kind::kDelete:
      done = "Deleted " + std::to_string(before - count) +
             (before - count == 1 ? " entry" : " entries");
      break;
    case Kind::kMove:
      done = "Moved entry " + entry(0) + " to " + entry(1);
      break;
  }
  return done + "; " + Quoted(archivePath) + " holds " + Pictures(count) + ", " +
         std::to_string(size) + " bytes";
}

void ArchiveEditRun::Report(const Problem& problem) {
  if (problem.CountsAgainstRun()) {
    ++report_.problems;
  }
  delegate_.Report(problem);
}

}  // namespace sprite::pipeline
