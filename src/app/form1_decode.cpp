// The Decode command: an archive becomes numbered bitmap files beside it.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "app/form1.h"
#include "common/error.h"
#include "common/utf8_path.h"
#include "formats/bitmap.h"
#include "formats/sprite_archive.h"

namespace sprite::app {
namespace {

std::string DecodedLine(std::int32_t count) {
  return "Decoded " + std::to_string(count) + " pictures in .spr to .bmp";
}

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// The text of a message box and the informative text below it.
struct BoxText {
  std::string text;
  std::string informativeText;
};

// The message box for an archive whose entries cannot be reached, worded from
// the error's type: the file could not be opened (`opened` false), it is not an
// archive, its header is damaged, or it could not be read.
BoxText ArchiveNotDecoded(const Error& error, const std::string& archivePath, bool opened) {
  const auto* io = dynamic_cast<const IoError*>(&error);
  if (io != nullptr && !opened) {
    return {"Cannot open the sprite archive " + Quoted(archivePath) + ": " + io->Reason() + ".",
            {}};
  }
  if (dynamic_cast<const NotAnArchiveError*>(&error) != nullptr) {
    return {"Error", Quoted(archivePath) + " is not a sprite archive: " + error.what() + "."};
  }
  if (dynamic_cast<const FormatError*>(&error) != nullptr) {
    return {"Cannot decode the sprite archive " + Quoted(archivePath) + ": " + error.what(), {}};
  }
  return {error.what(), {}};
}

// An entry that stopped the run: its log line, and the text for the run
// listener, worded from the error's type. Entry `number` could not be read,
// its stream is damaged, or the archive is damaged there.
struct EntryFailure {
  std::string line;
  std::string text;
};

EntryFailure EntryNotDecoded(const Error& error, const std::string& archivePath,
                             std::int32_t number) {
  constexpr char kNotWritten[] = "; the bitmaps from there on were not written";
  if (const auto* io = dynamic_cast<const IoError*>(&error)) {
    const std::string what = "cannot read " + Quoted(io->Path()) + ": " + io->Reason();
    return {"ERROR: " + what, what + kNotWritten};
  }
  std::string what = error.what();
  if (dynamic_cast<const InvalidArgumentError*>(&error) != nullptr) {
    what = "bitmap " + std::to_string(number) + " is damaged: " + what;
  }
  return {"ERROR: " + what, archivePath + ": " + what + kNotWritten};
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
  std::optional<BoxText> box;
  bool opened = false;
  try {
    const std::unique_ptr<ByteSource> source = files_.OpenForReading(archivePath);
    opened = true;
    formats::ArchiveReader reader(*source);
    decoded = DecodeEntries(archivePath, reader);
  } catch (const CancelledError&) {
    lastRun_.cancelled = true;
    Problem("Stopped: the bitmap being decoded was not written",
            "stopped: the bitmap being decoded was not written");
  } catch (const Error& error) {
    box = ArchiveNotDecoded(error, archivePath, opened);
  }
  running.End();
  SyncWrittenFolders();
  SetControlsEnabled(true);
  if (decoded) {
    List1.AddItem(DecodedLine(*decoded));
  }

  if (box) {
    ++lastRun_.problems;
    windows_.MessageBox(box->text, box->informativeText);
  }
  if (closeAfterRun_) {
    window_->Close();
  }
}

std::int32_t Form1::DecodeEntries(const std::string& archivePath, formats::ArchiveReader& reader) {
  // Each entry's line comes before anything is known of it, so that a fault of
  // its own is reported under its number.
  std::int32_t written = 0;
  try {
    for (std::int32_t k = 1; k <= reader.Count(); ++k) {
      List1.AddItem("Processing bitmap: " + std::to_string(k));
      // The reader holds exactly count entries; it throws for one it cannot give.
      const formats::ArchiveEntry entry = reader.Next().value();
      const Bytes area = RLEDecompressRows(entry.coded, entry.width);
      const std::string name = OutputName(archivePath, k);
      const Bytes bitmap = formats::WriteBitmap(entry.width, entry.height, reader.Palette(), area);
      try {
        auto out = files_.CreateReplacing(name);
        out->Append(bitmap);
        out->Commit();
      } catch (const IoError& error) {
        lastRun_.outputFailed = true;
        const std::string what = "cannot write " + Quoted(error.Path()) + ": " + error.Reason();
        Problem("ERROR: " + what, what + "; the bitmaps from there on were not written");
        return written;
      }
      lstFiles.AddItem(name);
      ++written;
      lastRun_.stored = written;
    }
  } catch (const CancelledError&) {
    throw;
  } catch (const Error& error) {
    const EntryFailure failure = EntryNotDecoded(error, archivePath, written + 1);
    Problem(failure.line, failure.text);
    return written;
  }
  lastRun_.completed = true;
  // The count as the header gives it; a run that stops early says what it wrote.
  return reader.Count();
}

// The archive path (or, with an output folder, the folder and the archive's
// file name), ".", the number with at least four digits, ".bmp".
std::string Form1::OutputName(const std::string& archivePath, std::int32_t number) const {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", static_cast<int>(number));
  std::string base = archivePath;
  if (!outputFolder_.empty()) {
    base = Utf8FromPath(PathFromUtf8(outputFolder_) / PathFromUtf8(archivePath).filename());
  }
  return base + "." + digits + ".bmp";
}

void Form1::SyncWrittenFolders() {
  try {
    files_.SyncFolders();
  } catch (const IoError& error) {
    lastRun_.outputFailed = true;
    lastRun_.completed = false;
    const std::string what = "cannot write " + Quoted(error.Path()) + ": " + error.Reason();
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
