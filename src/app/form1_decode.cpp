// The Decode command: an archive becomes numbered bitmap files beside it.
#include <cstdio>
#include <string>

#include "app/form1.h"
#include "common/error.h"
#include "formats/bitmap.h"
#include "formats/sprite_archive.h"

namespace sprite::app {
namespace {

// The archive path, ".", the number with at least four digits, ".bmp".
std::string OutputName(const std::string& archivePath, std::int32_t number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", static_cast<int>(number));
  return archivePath + "." + digits + ".bmp";
}

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
  std::string message;
  try {
    DecodeArchive(txtOut.Text());
  } catch (const NotAnArchiveError&) {
    message = "Error";
  } catch (const CancelledError&) {
    lastRun_.cancelled = true;
    Problem("Stopped: the bitmap being decoded was not written");
  } catch (const Error& error) {
    message = error.what();
  }
  running.End();
  SetControlsEnabled(true);

  if (!message.empty()) {
    ++lastRun_.problems;
    windows_.MessageBox(message);
  }
  if (closeAfterRun_) {
    window_->Close();
  }
}

void Form1::DecodeArchive(const std::string& archivePath) {
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

  std::int32_t written = 0;
  try {
    while (auto entry = reader->Next()) {
      List1.AddItem("Processing bitmap: " + std::to_string(entry->number));
      const Bytes area = RLEDecompressRows(entry->coded, entry->width);
      const std::string name = OutputName(archivePath, entry->number);
      const Bytes bitmap =
          formats::WriteBitmap(entry->width, entry->height, reader->palette(), area);
      auto out = files_.CreateReplacing(name);
      out->Append(bitmap);
      out->Commit();
      lstFiles.AddItem(name);
      ++written;
      lastRun_.stored = written;
    }
  } catch (const IoError& error) {
    Problem("ERROR: cannot write \"" + error.path() + "\": " + error.reason());
    List1.AddItem(DecodedLine(written));
    return;
  } catch (const InvalidArgumentError& error) {
    Problem("ERROR: bitmap " + std::to_string(written + 1) + " is damaged: " + error.what());
    List1.AddItem(DecodedLine(written));
    return;
  } catch (const FormatError& error) {
    Problem(std::string("ERROR: ") + error.what());
    List1.AddItem(DecodedLine(written));
    return;
  }
  lastRun_.completed = true;
  // The count as the header gives it; a run that stops early says what it wrote.
  List1.AddItem(DecodedLine(reader->count()));
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
