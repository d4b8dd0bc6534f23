#include "pipeline/decode_run.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "codec/palette_swap.h"
#include "codec/rle_decoder.h"
#include "common/error.h"
#include "common/utf8_path.h"
#include "files/commit_batch.h"
#include "formats/bitmap.h"
#include "formats/sprite_archive.h"

namespace sprite::pipeline {
namespace {

// What the row decoder asks of its host, passed to the run's delegate: the
// bars, and a stop that ends the run by throwing.
class DecoderHost : public codec::RowsHost {
 public:
  explicit DecoderHost(RunDelegate& delegate) : delegate_(delegate) {}

  void ElementsDecoded(std::int32_t percent, std::int64_t) override {
    delegate_.Progress(RunDelegate::Bar::kFirst, percent);
    // Several stops in a row with nothing between them do what one does.
    Yield();
  }
  void RowsPlaced(std::span<const std::int32_t> percents) override {
    for (const std::int32_t percent : percents) {
      Yield();
      delegate_.Progress(RunDelegate::Bar::kSecond, percent);
    }
  }
  void Yield() override {
    if (delegate_.ShouldStop()) {
      throw CancelledError();
    }
  }

 private:
  RunDelegate& delegate_;
};

}  // namespace

RunReport DecodeRun::Run(const std::string& archivePath, const std::string& folder,
                         const std::string& name) {
  report_ = RunReport{};
  delegate_.Log("Decoding...", false);
  const std::string fileName =
      name.empty() ? Utf8FromPath(PathFromUtf8(archivePath).filename()) : name;
  const std::string base = folder.empty() && name.empty()
                               ? archivePath
                               : Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8(fileName));
  report_.outputPath = files_.FullPath(Utf8FromPath(PathFromUtf8(base).parent_path()));
  std::optional<std::int32_t> decoded;
  try {
    std::unique_ptr<ByteSource> source;
    std::optional<formats::ArchiveReader> reader;
    try {
      source = files_.OpenForReading(archivePath);
      reader.emplace(*source);
    } catch (FaultError& error) {
      error.SetPath(archivePath);
      Report(ArchiveNotOpened(error.Details()));
    }
    if (reader) {
      decoded = DecodeEntries(archivePath, base, *reader);
    }
  } catch (const CancelledError&) {
    report_.cancelled = true;
    Report(Stopped("the bitmap being decoded"));
  }
  SyncFolders();
  delegate_.Finishing();
  if (decoded) {
    delegate_.Log("Decoded " + std::to_string(*decoded) + " pictures in .spr to .bmp", false);
  }
  return report_;
}

std::int32_t DecodeRun::DecodeEntries(const std::string& archivePath, const std::string& base,
                                      formats::ArchiveReader& reader) {
  DecoderHost host(delegate_);
  // Every bitmap gets the archive's palette in the order a bitmap keeps it.
  const Bytes palette = codec::SwapRedBlue(reader.Palette());
  std::int32_t written = 0;
  // Bitmaps that replace files wait for the disk together; each is told to the
  // delegate once it stands under its name.
  files::CommitBatch batch(files_.FilesPerBatch(), [&](const std::string& name) {
    delegate_.Written(name);
    report_.stored = ++written;
  });
  std::string name;
  const auto commitWaiting = [&] {
    try {
      batch.Commit();
      return true;
    } catch (FaultError& error) {
      OutputFailed(error, name);
      return false;
    }
  };
  for (std::int32_t k = 1; k <= reader.Count(); ++k) {
    // Each entry's line comes before anything is known of it, so that a fault
    // of its own is reported under its number.
    delegate_.Log("Processing bitmap: " + std::to_string(k), false);
    Bytes bitmap;
    try {
      // The reader holds exactly count entries; it throws for one it cannot give.
      const formats::ArchiveEntry entry = reader.Next().value();
      const Bytes area = codec::RLEDecompressRows(entry.coded, entry.width, host);
      bitmap = formats::WriteBitmap(entry.width, entry.height, palette, area);
    } catch (FaultError& error) {
      Fault fault = error.Details();
      fault.path = archivePath;
      if (fault.entry == 0) {
        fault.entry = k;
      }
      Report(EntryNotDecoded(std::move(fault)));
      commitWaiting();
      return written;
    } catch (const CancelledError&) {
      // The bitmaps finished before the stop take their places.
      commitWaiting();
      throw;
    } catch (const Error& error) {
      Report(EntryNotDecoded(
          {.kind = FaultKind::kUnexpected, .path = archivePath, .entry = k, .text = error.what()}));
      commitWaiting();
      return written;
    }
    name = OutputName(base, k);
    try {
      auto out = files_.CreateReplacing(name);
      out->Append(bitmap);
      batch.Add(std::move(out), name);
    } catch (FaultError& error) {
      // The bitmaps finished before this one still take their places.
      if (commitWaiting()) {
        OutputFailed(error, name);
      }
      return written;
    }
  }
  if (!commitWaiting()) {
    return written;
  }
  report_.completed = true;
  // The count as the header gives it; a run that stops early says what it wrote.
  return reader.Count();
}

std::string DecodeRun::OutputName(const std::string& base, std::int32_t number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", static_cast<int>(number));
  return base + "." + digits + ".bmp";
}

void DecodeRun::Report(const Problem& problem) {
  ++report_.problems;
  delegate_.Report(problem);
}

void DecodeRun::OutputFailed(FaultError& error, const std::string& name) {
  report_.outputFailed = true;
  // A file that waited to be committed names itself.
  if (error.Details().path.empty()) {
    error.SetPath(name);
  }
  Report(OutputNotWritten(error.Details(), true));
}

void DecodeRun::SyncFolders() {
  try {
    files_.SyncFolders();
  } catch (const FaultError& error) {
    report_.outputFailed = true;
    report_.completed = false;
    Report(OutputNotWritten(error.Details(), false));
  }
}

}  // namespace sprite::pipeline
