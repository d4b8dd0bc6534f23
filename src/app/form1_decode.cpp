// The Decode command: an archive becomes numbered bitmap files beside it.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "app/form1.h"
#include "common/error.h"
#include "formats/bitmap.h"
#include "formats/sprite_archive.h"

namespace sprite::app {
namespace {

std::string DecodedLine(std::int32_t count) {
  return "Decoded " + std::to_string(count) + " pictures in .spr to .bmp";
}

}  // namespace

void Form1::Command4_Click() {
  lastRun_ = RunReport{};
  lstFiles.Clear();
  List1.Clear();
  List1.AddItem("Decoding...");

  // Nothing else may run inside the decoder's yields: an Encode would rewrite
  // the archive being read, Add or Remove would change the list being filled.
  SetControlsEnabled(false);
  RunningScope running(running_);
  stopRequested_ = false;
  const std::string archivePath = txtOut.Text();
  std::optional<std::int32_t> decoded;
  std::string message;
  std::string informativeText;
  try {
    decoded = DecodeArchive(archivePath);
  } catch (const NotAnArchiveError& error) {
    message = "Error";
    informativeText = "\"" + archivePath + "\" is not a sprite archive: " + error.what() + ".";
  } catch (const CancelledError&) {
    lastRun_.cancelled = true;
    Problem("Stopped: the bitmap being decoded was not written",
            "stopped: the bitmap being decoded was not written");
  } catch (const Error& error) {
    message = error.what();
  }
  running.End();
  SyncWrittenFolders();
  SetControlsEnabled(true);
  if (decoded) {
    List1.AddItem(DecodedLine(*decoded));
  }

  if (!message.empty()) {
    ++lastRun_.problems;
    windows_.MessageBox(message, informativeText);
  }
  if (closeAfterRun_) {
    window_->Close();
  }
}

std::int32_t Form1::DecodeArchive(const std::string& archivePath) {
  std::unique_ptr<ByteSource> source;
  try {
    source = files_.OpenForReading(archivePath);
  } catch (const IoError& error) {
    throw Error("Cannot open the sprite archive \"" + archivePath + "\": " + error.reason() + ".");
  }
  std::optional<formats::ArchiveReader> reader;
  try {
    reader.emplace(*source);
  } catch (const NotAnArchiveError&) {
    throw;
  } catch (const FormatError& error) {
    throw Error("Cannot decode the sprite archive \"" + archivePath + "\": " + error.what());
  }

  // Each entry's line comes before anything is known of it, so that a fault of
  // its own is reported under its number.
  std::int32_t written = 0;
  const std::string notWritten = "; the bitmaps from there on were not written";
  try {
    for (std::int32_t k = 1; k <= reader->count(); ++k) {
      List1.AddItem("Processing bitmap: " + std::to_string(k));
      // The reader holds exactly count entries; it throws for one it cannot give.
      const formats::ArchiveEntry entry = reader->Next().value();
      const Bytes area = RLEDecompressRows(entry.coded, entry.width);
      const std::string name = OutputName(archivePath, k);
      const Bytes bitmap = formats::WriteBitmap(entry.width, entry.height, reader->palette(), area);
      try {
        auto out = files_.CreateReplacing(name);
        out->Append(bitmap);
        out->Commit();
      } catch (const IoError& error) {
        lastRun_.outputFailed = true;
        const std::string what = "cannot write \"" + error.path() + "\": " + error.reason();
        Problem("ERROR: " + what, what + notWritten);
        return written;
      }
      lstFiles.AddItem(name);
      ++written;
      lastRun_.stored = written;
    }
  } catch (const IoError& error) {
    const std::string what = "cannot read \"" + error.path() + "\": " + error.reason();
    Problem("ERROR: " + what, what + notWritten);
    return written;
  } catch (const InvalidArgumentError& error) {
    const std::string what =
        "bitmap " + std::to_string(written + 1) + " is damaged: " + error.what();
    Problem("ERROR: " + what, archivePath + ": " + what + notWritten);
    return written;
  } catch (const FormatError& error) {
    Problem(std::string("ERROR: ") + error.what(), archivePath + ": " + error.what() + notWritten);
    return written;
  }
  lastRun_.completed = true;
  // The count as the header gives it; a run that stops early says what it wrote.
  return reader->count();
}

// The archive path (or, with an output folder, the folder and the archive's
// file name), ".", the number with at least four digits, ".bmp".
std::string Form1::OutputName(const std::string& archivePath, std::int32_t number) const {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", static_cast<int>(number));
  std::string base = archivePath;
  if (!outputFolder_.empty()) {
    base = (std::filesystem::path(outputFolder_) / std::filesystem::path(archivePath).filename())
               .string();
  }
  return base + "." + digits + ".bmp";
}

void Form1::SyncWrittenFolders() {
  try {
    files_.SyncFolders();
  } catch (const IoError& error) {
    lastRun_.outputFailed = true;
    lastRun_.completed = false;
    const std::string what = "cannot write \"" + error.path() + "\": " + error.reason();
    Problem("ERROR: " + what, what);
  }
}

void Form1::ElementsDecoded(std::int32_t percent, std::int64_t) {
  oProgressBar1->SetValue(percent);
  // Several yields in a row with nothing between them do what one does.
  Yield();
}

void Form1::SetRowPercent(std::int32_t percent) {
  oProgressBar2->SetValue(percent);
}

void Form1::Yield() {
  windows_.Yield();
  StopIfAsked();
}

void Form1::StopIfAsked() {
  if (stopRequested_ || windows_.InterruptRequested()) {
    throw CancelledError();
  }
}

}  // namespace sprite::app
