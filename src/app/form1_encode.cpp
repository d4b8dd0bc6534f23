// The Encode command: the listed bitmaps become one sprite archive.
#include <cmath>
#include <string>

#include "app/form1.h"
#include "app/stored_palettes.h"
#include "codec/row_alignment.h"
#include "common/error.h"
#include "formats/bitmap.h"
#include "formats/entry_limits.h"
#include "formats/sprite_archive.h"

namespace sprite::app {
namespace {

constexpr char kRestrictionLine[] =
    "ERROR: bitmap palette does not match format restriction (8BPP/256Cols)";

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

}  // namespace

Form1::BitmapOutcome Form1::NotAnEntry(const std::string& path,
                                       const formats::EntryMisfit& misfit) {
  using Limit = formats::EntryMisfit::Limit;
  switch (misfit.limit) {
    case Limit::kPixelArea:
      return NotStored(path, "ERROR: " + Quoted(path) + ": " + misfit.what + "; not stored",
                       misfit.what);
    case Limit::kSize:
      return NotStored(path, "ERROR: " + Quoted(path) + " is " + misfit.what,
                       "it is too large: " + misfit.what);
    case Limit::kCodedLength:
      break;
  }
  return NotStored(path, "ERROR: " + Quoted(path) + " " + misfit.what + "; not stored",
                   "it is too large: it " + misfit.what);
}

void Form1::Command3_Click() {
  lastRun_ = RunReport{};
  List1.Clear();
  const std::string archivePath = txtOut.Text();

  // The archive is built in a temporary file beside its target and moved over
  // it only at the end, so a failed run leaves the previous archive untouched
  // and a listed file that is also the output is read before it is replaced.
  std::unique_ptr<files::ReplacingFile> archiveFile;
  try {
    archiveFile = files_.CreateReplacing(archivePath);
  } catch (const IoError& error) {
    lastRun_.outputFailed = true;
    const std::string what =
        "cannot write the archive " + Quoted(archivePath) + ": " + error.Reason();
    Problem("ERROR: " + what, what);
    return;
  }

  // The window repaints while the run goes on but takes no input; a request to
  // close it stops the run after the current picture.
  stopRequested_ = false;
  RunningScope running(running_);
  try {
    formats::ArchiveWriter archive(*archiveFile);
    List1.AddItem("Init");

    StoredPalettes palettes;
    const std::int16_t fileCount = lstFiles.ListCount();
    for (std::int16_t index = 0; index < fileCount; ++index) {
      if (stopRequested_ || windows_.InterruptRequested()) {
        throw CancelledError();
      }
      if (AddBitmap(lstFiles.List(index), archive) == BitmapOutcome::kStored) {
        ++lastRun_.stored;
        palettes.Add(index, ArchivePalette);
      }
      // A one-file list is done after its only file.
      const double share = fileCount == 1 ? 100.0 : index * 100.0 / (fileCount - 1);
      oProgressBar1->SetValue(static_cast<std::int32_t>(std::nearbyint(share)));
      oProgressBar2->SetValue(0);
      windows_.Refresh();
    }

    // Every picture decodes with the last one's palette: name those it does not fit.
    for (const std::int16_t index : palettes.DifferingFromLast()) {
      const std::string path = lstFiles.List(index);
      Problem("Warning: " + Quoted(path) +
                  " has other colours than the last picture; the archive keeps only the last "
                  "palette",
              path +
                  ": stored, but it has other colours than the last picture; it will "
                  "come back with the last picture's colours");
    }

    List1.AddItem("Completed ");
    List1.SelectLast();
    archive.Finish(ArchivePalette);
    archiveFile->Commit();
    lastRun_.completed = true;
  } catch (const IoError& error) {
    lastRun_.outputFailed = true;
    const std::string what = "cannot write the archive " + Quoted(archivePath) + ": " +
                             error.Reason() + "; the previous file is unchanged";
    Problem("ERROR: " + what, what);
  } catch (const CancelledError&) {
    lastRun_.cancelled = true;
    Problem("Stopped: the archive was not written",
            "stopped: the archive " + Quoted(archivePath) + " was not written");
  } catch (const Error& error) {
    const std::string what = std::string(error.what()) + "; the archive was not written";
    Problem("ERROR: " + what, what);
  }
  running.End();
  SyncWrittenFolders();
  if (closeAfterRun_) {
    window_->Close();
  }
}

Form1::BitmapOutcome Form1::AddBitmap(const std::string& bitmapPath,
                                      formats::ArchiveWriter& archive) {
  // A missing file reads as empty headers and fails the format restriction.
  if (!files_.Exists(bitmapPath)) {
    return NotStored(bitmapPath, kRestrictionLine, "there is no such file");
  }
  formats::BitmapHeaders headers;
  formats::AcceptedBitmap bitmap;
  formats::EntryCandidate candidate;
  try {
    auto source = files_.OpenForReading(bitmapPath);
    const std::uint64_t size = source->Size();
    Bytes start(std::min<std::uint64_t>(size, formats::kClassicPaletteOffset));
    source->ReadAt(0, start);
    headers = formats::ReadBitmapHeaders(start);
    if (!formats::PassesAcceptanceTest(headers)) {
      return NotStored(bitmapPath, kRestrictionLine, formats::WhyNotStorable(start, headers));
    }
    // Compressed rows read as raw pixels would decode to noise.
    if (headers.compression != 0) {
      return NotStored(bitmapPath,
                       "ERROR: " + Quoted(bitmapPath) + " is compressed (compression " +
                           std::to_string(headers.compression) +
                           "); only uncompressed bitmaps can be stored",
                       formats::WhyNotStorable(start, headers));
    }
    // The offsets are checked against the file's size before anything else is
    // read, and then only the palette and the pixel area are: memory stays
    // that of the largest picture an entry can hold, whatever the file's size.
    formats::BitmapLayout layout;
    try {
      layout = formats::LocateBitmapParts(headers, size);
    } catch (const FormatError& error) {
      return NotStored(bitmapPath, "ERROR: " + Quoted(bitmapPath) + " is damaged: " + error.what(),
                       std::string("it is damaged: ") + error.what());
    }
    candidate = {layout.pixelAreaSize, headers.width, headers.height, std::nullopt};
    if (const auto misfit = formats::CheckEntryFits(candidate)) {
      return NotAnEntry(bitmapPath, *misfit);
    }
    bitmap = formats::ReadBitmapParts(*source, headers, layout);
  } catch (const IoError& error) {
    return NotStored(bitmapPath, "ERROR: cannot read " + Quoted(bitmapPath) + ": " + error.Reason(),
                     "cannot read it: " + error.Reason());
  }

  const std::int32_t width = headers.width;
  const std::int32_t height = headers.height;

  List1.AddItem("Adding: " + bitmapPath);
  List1.SelectLast();

  // The rows as the archive stores them, and the area they make again: the
  // same bytes only for whole rows with zero alignment bytes.
  const ByteView pixelArea = bitmap.pixelArea;
  const Bytes storedRows = codec::StripRowAlignment(pixelArea, width);
  const Bytes rebuiltArea = codec::AddRowAlignment(storedRows, width);
  if (!std::equal(rebuiltArea.begin(), rebuiltArea.end(), pixelArea.begin(), pixelArea.end())) {
    Problem("Warning: Flip Invalid!",
            bitmapPath +
                ": stored, but its pixel area is not whole rows with zero padding, so "
                "it will not come back byte for byte");
  }

  Bytes coded;
  RLECompress2(storedRows, coded, width);
  candidate.codedSize = coded.size();
  if (const auto misfit = formats::CheckEntryFits(candidate)) {
    return NotAnEntry(bitmapPath, *misfit);
  }

  if (RLEDecompress(coded) == storedRows) {
    List1.AddItem("RLE: OK, Compressed and orig data are identical ;]");
  } else {
    Problem("RLE: FAIL, decompressed and orig data not match!",
            bitmapPath + ": stored, but its coded rows did not decode back to its pixels");
  }

  // The trailer is the palette of the last picture stored; one that cannot be
  // stored leaves it alone.
  ArchivePalette = SwapRedBlue(bitmap.palette);
  archive.AddEntry(width, height, coded);
  return BitmapOutcome::kStored;
}

}  // namespace sprite::app
