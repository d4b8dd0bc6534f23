// The Encode run: listed picture files become one sprite archive.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "files/file_system.h"
#include "files/read_write_guard.h"
#include "pipeline/png_file_source.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"
#include "pipeline/sprite_sheet.h"
#include "pipeline/stored_palettes.h"
#include "pipeline/target_palette.h"

namespace sprite::formats {
class ArchiveWriter;
}

namespace sprite::pipeline {

// How PNG pictures are stored and pictures cut; the window uses the defaults.
struct EncodeOptions {
  // A palette file (GIMP, JASC, PNG, bitmap or sprite archive) that PNG
  // pictures are mapped to; empty: their shared palette, or one built of them.
  std::string paletteFile{};
  AlphaRule alpha{};
  // Cuts every listed picture into frames of this size, each stored as a picture.
  std::optional<FrameSize> sheet{};
  // With `sheet`: frames of nothing but index 0 are left out.
  bool skipEmpty = false;
  // The list files the inputs were read from, which the run must not write either.
  std::vector<std::string> listFiles{};
  // Lists and folders among the inputs that could not be read, or hold no
  // picture: the run says so once its files are checked, and stores nothing.
  std::vector<Problem> unreadInputs{};
  // How the advice of a refused picture names the options that would take it.
  OptionWords optionWords = OptionWords::kCommandLine;
};

// The mapper of PNG pictures onto a palette file's palette, with the options' mapping.
PictureMapper GivenPaletteMapper(const formats::PaletteFile& palette, const EncodeOptions& options);

class EncodeRun {
 public:
  EncodeRun(files::FileSystem& files, RunDelegate& delegate, EncodeOptions options = {});
  ~EncodeRun();
  EncodeRun(const EncodeRun&) = delete;
  EncodeRun& operator=(const EncodeRun&) = delete;

  // Stores the pictures of `inputs` (at most 32767 of them), in order, in the
  // archive at `archivePath`: bitmaps with their own palettes, PNG pictures
  // against the run's target palette. `archivePalette` (1024 bytes, archive
  // order) is the trailer of an archive that stores no picture; every stored
  // picture replaces it with its palette, so afterwards it holds the last one's.
  // The archive is built beside its target and takes its place only when it is
  // complete: a run that fails or is stopped leaves the old file as it was. A
  // run whose archive is one of the files it reads is refused before it reads
  // a picture.
  RunReport Run(const std::vector<std::string>& inputs, const std::string& archivePath,
                Bytes& archivePalette);

 private:
  // What the run reads and writes, for the one rule that keeps them apart.
  files::RunFiles RunFilesOf(const std::vector<std::string>& inputs,
                             const std::string& archivePath) const;
  // The per-picture step: reads, checks, codes, verifies and appends one
  // listed picture, or each of its frames. True when something was stored.
  bool AddBitmap(std::size_t index, formats::ArchiveWriter& archive, Bytes& archivePalette);
  // Codes, verifies and appends one picture or frame, logged as `shown`.
  // `changes` are what the archive shows otherwise than the picture.
  bool StoreEntry(const std::string& path, const std::string& shown,
                  const formats::StoredPicture& picture, std::span<const Fault> changes,
                  formats::ArchiveWriter& archive);
  // The target palette of the run's PNG pictures, made when the first one is read.
  PictureMapper& TargetPalette();
  // Keeps the PNG files after those the palette pass kept for the read-ahead,
  // as far as it has room, so that their pixels too are decoded ahead.
  void KeepMoreAhead();
  void Report(const Problem& problem);
  // Makes the names of the archive durable; a failure is a failed output.
  void SyncFolders();

  files::FileSystem& files_;
  RunDelegate& delegate_;
  EncodeOptions options_;
  PngFileSource pngs_;
  PictureFileSource source_;
  RunReport report_;
  // The run under way: its inputs, the one being added, its palettes.
  const std::vector<std::string>* inputs_ = nullptr;
  std::size_t current_ = 0;
  std::optional<PictureMapper> mapper_;
  // The next input to offer the read-ahead; none once one was not taken for good.
  std::optional<std::size_t> keepFrom_;
  StoredPalettes palettes_;
  bool lastOnTarget_ = false;
  // The PNG pictures have more colours than a palette holds: the rest of the
  // run only counts them, and nothing is stored.
  std::optional<Fault> tooManyColours_;
};

}  // namespace sprite::pipeline
