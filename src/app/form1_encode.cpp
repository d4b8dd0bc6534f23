// The Encode command: the listed bitmaps become one sprite archive.
#include <cmath>
#include <string>

#include "app/form1.h"
#include "codec/row_alignment.h"
#include "common/error.h"
#include "formats/bitmap.h"
#include "formats/sprite_archive.h"

namespace sprite::app {
namespace {

// A coded stream the verifying decoder accepts; the entry's length field could hold one more.
constexpr std::size_t kLongestStoredStream = 32766;
// The largest pixel area that can still code within that limit: zero runs code
// 255 bytes into 2, and a width of 1 carries 3 alignment bytes per pixel.
constexpr std::uint64_t kLargestCodablePixelArea = 4ull * (kLongestStoredStream / 2) * 255;

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

bool FitsField(std::int32_t value) {
  return value >= -32768 && value <= formats::kMaxField;
}

}  // namespace

void Form1::Command3_Click() {
  lastRun_ = RunReport{};
  List1.Clear();
  const std::string archivePath = txtOut.Text();

  // The archive is built in a temporary file beside its target and moved over
  // it only at the end, so a failed run leaves the previous archive untouched
  // and a listed file that is also the output is read before it is replaced.
  std::unique_ptr<winsys::ReplacingFile> archiveFile;
  try {
    archiveFile = files_.CreateReplacing(archivePath);
  } catch (const IoError& error) {
    Problem("ERROR: cannot write the archive " + Quoted(archivePath) + ": " + error.reason());
    return;
  }

  // The window repaints while the run goes on but takes no input; a request to
  // close it stops the run after the current picture.
  stopRequested_ = false;
  RunningScope running(running_);
  try {
    formats::ArchiveWriter archive(*archiveFile);
    List1.AddItem("Init");

    const std::int16_t n = lstFiles.ListCount();
    for (std::int16_t i = 0; i < n; ++i) {
      if (stopRequested_ || windows_.InterruptRequested()) {
        throw CancelledError();
      }
      if (AddBitmap(lstFiles.List(i), archive) == BitmapOutcome::kStored) {
        ++lastRun_.stored;
      }
      // A one-file list is done after its only file.
      const double share = n == 1 ? 100.0 : i * 100.0 / (n - 1);
      oProgressBar1->SetValue(static_cast<std::int32_t>(std::nearbyint(share)));
      oProgressBar2->SetValue(0);
      windows_.Refresh();
    }

    List1.AddItem("Completed ");
    List1.SelectLast();
    archive.Finish(ArchivePalette);
    archiveFile->Commit();
    lastRun_.completed = true;
  } catch (const IoError& error) {
    Problem("ERROR: cannot write the archive " + Quoted(archivePath) + ": " + error.reason() +
            "; the previous file is unchanged");
  } catch (const CancelledError&) {
    lastRun_.cancelled = true;
    Problem("Stopped: the archive was not written");
  } catch (const Error& error) {
    Problem(std::string("ERROR: ") + error.what() + "; the archive was not written");
  }
  running.End();
  if (closeAfterRun_) {
    window_->Close();
  }
}

Form1::BitmapOutcome Form1::AddBitmap(const std::string& bitmapPath,
                                      formats::ArchiveWriter& archive) {
  // A missing file reads as empty headers and fails the format restriction.
  Bytes file;
  if (files_.Exists(bitmapPath)) {
    try {
      auto source = files_.OpenForReading(bitmapPath);
      Bytes prefix(std::min<std::uint64_t>(source->Size(), formats::kClassicPaletteOffset));
      source->ReadAt(0, prefix);
      const formats::BitmapHeaders headers = formats::ReadBitmapHeaders(prefix);
      if (formats::PassesAcceptanceTest(headers)) {
        const std::uint64_t size = source->Size();
        if (headers.pixelOffset <= size && size - headers.pixelOffset > kLargestCodablePixelArea) {
          Problem("ERROR: " + Quoted(bitmapPath) + ": its pixel area of " +
                  std::to_string(size - headers.pixelOffset) +
                  " bytes is too large for one archive entry; not stored");
          return BitmapOutcome::kRejected;
        }
        file.resize(size);
        source->ReadAt(0, file);
      } else {
        file = std::move(prefix);
      }
    } catch (const IoError& error) {
      Problem("ERROR: cannot read " + Quoted(bitmapPath) + ": " + error.reason());
      return BitmapOutcome::kRejected;
    }
  }

  const formats::BitmapHeaders headers = formats::ReadBitmapHeaders(file);
  if (!formats::PassesAcceptanceTest(headers)) {
    Problem("ERROR: bitmap palette does not match format restriction (8BPP/256Cols)");
    return BitmapOutcome::kRejected;
  }

  formats::AcceptedBitmap bitmap;
  try {
    bitmap = formats::ReadAcceptedBitmap(file, headers);
  } catch (const FormatError& error) {
    Problem("ERROR: " + Quoted(bitmapPath) + " is damaged: " + error.what());
    return BitmapOutcome::kRejected;
  }
  file = Bytes{};

  const std::int32_t W = headers.width;
  const std::int32_t H = headers.height;
  if (!FitsField(W) || !FitsField(H)) {
    Problem("ERROR: " + Quoted(bitmapPath) + " is " + std::to_string(W) + " x " +
            std::to_string(H) + " pixels; an archive entry holds at most 32767 in each direction");
    return BitmapOutcome::kRejected;
  }

  List1.AddItem("Adding: " + bitmapPath);
  List1.SelectLast();

  const ByteView P = bitmap.pixelArea;
  const Bytes T = codec::StripRowAlignment(P, W);
  const Bytes Q = codec::AddRowAlignment(T, W);
  if (!std::equal(Q.begin(), Q.end(), P.begin(), P.end())) {
    Problem("Warning: Flip Invalid!");
  }

  Bytes C;
  RLECompress2(T, C, W);
  if (C.size() > kLongestStoredStream) {
    Problem("ERROR: " + Quoted(bitmapPath) + " codes to " + std::to_string(C.size()) +
            " bytes, more than the 32766 an archive entry holds; not stored");
    return BitmapOutcome::kRejected;
  }

  if (RLEDecompress(C) == T) {
    List1.AddItem("RLE: OK, Compressed and orig data are identical ;]");
  } else {
    Problem("RLE: FAIL, decompressed and orig data not match!");
  }

  // The trailer is the palette of the last picture stored; one that cannot be
  // stored leaves it alone.
  ArchivePalette = SwapRedBlue(bitmap.palette);
  archive.AddEntry(W, H, C);
  return BitmapOutcome::kStored;
}

}  // namespace sprite::app
