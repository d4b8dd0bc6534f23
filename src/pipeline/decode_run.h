// The Decode run: a sprite archive becomes numbered bitmap or PNG files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/byte_io.h"
#include "common/error.h"
#include "files/file_system.h"
#include "files/read_write_guard.h"
#include "pipeline/entry_numbers.h"
#include "pipeline/entry_writer.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"

namespace sprite::formats {
class ArchiveReader;
}

namespace sprite::pipeline {

// What Decode writes; the window uses the defaults (bitmaps).
struct DecodeOptions {
  // 8-bit indexed PNG pictures instead of bitmaps.
  bool png = false;
  // PNG: index 0 is not marked see-through.
  bool opaque = false;
  // PNG: one sheet of this many columns, ARCHIVE.sheet.png, instead of a
  // picture for each entry; 0 for none.
  std::uint32_t sheetColumns = 0;
  // A list file to write once the pictures are: their paths, one a line, in
  // entry order, each relative to the list file's folder.
  std::string listPath{};
  // Only these entries (not with a sheet); empty: every entry.
  std::vector<EntryRange> entries{};
};

class DecodeRun {
 public:
  DecodeRun(files::FileSystem& files, RunDelegate& delegate, DecodeOptions options = {})
      : files_(files), delegate_(delegate), options_(std::move(options)) {}

  // Writes every picture of the archive at `archivePath` as a file named
  // after it: ARCHIVE.0001.bmp, ARCHIVE.0002.bmp, ... beside the archive, or,
  // with a `folder`, in that folder under the archive's file name, or under
  // `name` when one is given (an archive read from a stream has none). An
  // existing file of such a name is replaced only by a complete new one.
  RunReport Run(const std::string& archivePath, const std::string& folder = {},
                const std::string& name = {});

  // The name of picture `number`: the base, ".", the number with at least four
  // digits, the extension.
  static std::string OutputName(const std::string& base, std::int32_t number,
                                const char* extension = ".bmp");
  // The name of the one sheet that takes the pictures' place.
  static std::string SheetName(const std::string& base);

 private:
  // What the run reads and writes, for the one rule that keeps them apart.
  files::RunFiles RunFilesOf(const std::string& archivePath, const std::string& base,
                             const char* extension, std::int32_t count) const;
  // Decodes every entry into a file; returns the count for the "Decoded "
  // line: the header's, or the files written when an entry ends the run.
  std::int32_t DecodeEntries(const std::string& archivePath, const std::string& base,
                             formats::ArchiveReader& reader, EntryWriter& writer);
  // Places every entry on one sheet and writes it; returns the count as
  // DecodeEntries does.
  std::int32_t DecodeSheet(const std::string& archivePath, const std::string& base,
                           ByteSource& source);
  // The entries chosen among `count`, or every one; false (reported) when one
  // is past the count.
  bool ChooseEntries(const std::string& archivePath, std::int32_t count);
  // Does `write` to the sheet `name`; false when it cannot be written.
  bool WriteSheet(const std::string& name, const std::function<void()>& write);
  // After the last entry: bytes the entries leave before the palette are told.
  void CheckNothingLeft(const formats::ArchiveReader& reader, const std::string& archivePath,
                        std::string_view files);
  // The list's file, made before any picture is written, so that a list that
  // cannot be written stops the run before it writes anything; nullptr
  // (reported) then.
  std::unique_ptr<files::ReplacingFile> CreateList();
  void WriteList(files::ReplacingFile& out);
  void Report(const Problem& problem);
  // A bitmap could not be written (`name`, unless the fault names another):
  // the run writes no more.
  // `rest`: what the files not written after it are called ("bitmaps").
  void OutputFailed(FaultError& error, const std::string& name, std::string_view rest);
  void SyncFolders();

  files::FileSystem& files_;
  RunDelegate& delegate_;
  DecodeOptions options_;
  RunReport report_;
  std::vector<std::string> written_;
  std::vector<std::int32_t> chosen_;  // the entries to decode; empty: every one
};

}  // namespace sprite::pipeline
