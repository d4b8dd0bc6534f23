// Decode into one PNG sheet: the frames measured from their coded streams,
// laid out, then decoded one by one into their cells.
#include <algorithm>
#include <optional>

#include "codec/rle_decoder.h"
#include "codec/stream_scan.h"
#include "common/error.h"
#include "common/text.h"
#include "formats/png_writer.h"
#include "formats/sprite_archive.h"
#include "formats/stored_picture.h"
#include "pipeline/decode_run.h"
#include "pipeline/decoder_host.h"
#include "pipeline/sheet_writer.h"
#include "pipeline/sprite_sheet.h"

namespace sprite::pipeline {

std::int32_t DecodeRun::DecodeSheet(const std::string& archivePath, const std::string& base,
                                    ByteSource& source) {
  // The frames' sizes first, from the coded streams' lengths, so that the
  // sheet is laid out before any frame is decoded: memory stays the sheet's.
  // A damaged entry ends the frames; the pass that places them reports it.
  std::vector<FrameSize> sizes;
  formats::ArchiveReader measured(source);
  try {
    while (const auto entry = measured.Next()) {
      const codec::StreamScan scan = codec::ScanStream(entry->coded);
      if (entry->width <= 0 || !scan.complete) {
        break;
      }
      const auto width = static_cast<std::uint64_t>(entry->width);
      sizes.push_back(
          {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(std::max<std::uint64_t>(
                                                  1, (scan.decoded + width - 1) / width))});
    }
  } catch (const FaultError&) {
    // The frames before it make the sheet.
  }

  formats::ArchiveReader reader(source);
  const std::string name = SheetName(base);
  // The sheet is laid out, and its file made, before any frame is decoded:
  // one too large is refused before anything is allocated for it.
  std::optional<SheetLayout> layout;
  std::unique_ptr<files::ReplacingFile> file;
  std::optional<SheetWriter> sheet;
  try {
    if (!sizes.empty()) {
      layout.emplace(sizes, options_.sheetColumns);
      file = files_.CreateReplacing(name);
      sheet.emplace(*layout, *file, reader.Palette(),
                    formats::PngWriteOptions{.seeThroughIndex0 = !options_.opaque});
    }
  } catch (FaultError& error) {
    report_.outputFailed = true;
    error.SetPath(name);
    Report(OutputNotWritten(error.Details(), {}, file && files_.IsPlainFile(name)));
    return 0;
  }
  DecoderHost host(delegate_);
  std::int32_t placed = 0;
  bool whole = true;
  for (std::int32_t k = 1; k <= reader.Count(); ++k) {
    delegate_.Log("Processing bitmap: " + std::to_string(k), false);
    IndexedImage frame;
    try {
      const formats::ArchiveEntry entry = reader.Next().value();
      Bytes rows = codec::RLEDecompressStoredRows(entry.coded, entry.width, host);
      if (static_cast<std::size_t>(placed) >= sizes.size()) {
        throw FaultError({.kind = FaultKind::kUnexpected,
                          .text = "the entry changed while the archive was read"});
      }
      const FrameSize size = sizes[static_cast<std::size_t>(placed)];
      rows.resize(std::size_t{size.width} * size.height, 0);
      formats::TurnStoredRows(entry.height, size.width, rows);
      frame = {size.width, size.height, std::move(rows)};
    } catch (FaultError& error) {
      Fault fault = error.Details();
      fault.path = archivePath;
      if (fault.entry == 0) {
        fault.entry = k;
      }
      Report(WithColoursDoubted(
          EntryNotDecoded(std::move(fault), "pictures", "placed on the sheet"), "pictures placed"));
      whole = false;
      break;
    } catch (const CancelledError&) {
      throw;
    } catch (const Error& error) {
      Report(EntryNotDecoded(
          {.kind = FaultKind::kUnexpected, .path = archivePath, .entry = k, .text = error.what()},
          "pictures", "placed on the sheet"));
      whole = false;
      break;
    }
    if (!WriteSheet(name, [&] { sheet->Add(std::move(frame), host); })) {
      return placed;
    }
    ++placed;
  }
  if (whole) {
    CheckNothingLeft(reader, archivePath, "pictures");
  }
  // A sheet without a frame is not written: the file at its name stays as it was.
  if (placed > 0 && WriteSheet(name, [&] {
        sheet->Finish(host);
        file->Commit();
      })) {
    delegate_.Written(name);
    written_.push_back(name);
    // The cell size is what cuts the sheet into its frames again.
    delegate_.Log("Sheet: " + name + ", cells of " + std::to_string(layout->CellWidth()) + " x " +
                      std::to_string(layout->CellHeight()) + " pixels in " +
                      Counted(layout->Columns(), "column", "columns"),
                  false);
    report_.stored = placed;
    report_.completed = whole;
  } else if (placed == 0) {
    report_.completed = whole;
  }
  return whole ? reader.Count() : placed;
}

bool DecodeRun::WriteSheet(const std::string& name, const std::function<void()>& write) {
  Fault fault;
  try {
    write();
    return true;
  } catch (FaultError& error) {
    error.SetPath(name);
    fault = error.Details();
  } catch (const CancelledError&) {
    throw;
  } catch (const Error& error) {
    fault = {.kind = FaultKind::kUnexpected, .path = name, .text = error.what()};
  }
  report_.outputFailed = true;
  // Not committed: a file at the sheet's name is the one that was there.
  Report(OutputNotWritten(std::move(fault), {}, files_.IsPlainFile(name)));
  return false;
}

}  // namespace sprite::pipeline
