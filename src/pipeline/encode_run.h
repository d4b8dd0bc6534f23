// The Encode run: listed picture files become one sprite archive.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "files/file_system.h"
#include "files/read_write_guard.h"
#include "pipeline/colour_mapping.h"
#include "pipeline/encode_read_ahead.h"
#include "pipeline/problem.h"
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
  // A palette given or chosen that PNG pictures are mapped to, and how.
  ColourMapping mapping{};
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
  // Throws InvalidArgumentError for a palette both given and to be chosen.
  EncodeRun(files::FileSystem& files, RunDelegate& delegate, EncodeOptions options = {});

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
  struct Stored;

  // What the run reads and writes, for the one rule that keeps them apart.
  files::RunFiles RunFilesOf(const std::vector<std::string>& inputs,
                             const std::string& archivePath) const;
  // Refuses a run that would write a file it reads, or whose lists or folders
  // could not be read, before anything is read or written: true when it did.
  bool RefusedBeforeReading(const std::vector<std::string>& inputs, const std::string& archivePath,
                            Stored& run);
  // Writes the archive: "Init", the pictures, the palettes named, "Completed ".
  void WriteArchive(const std::vector<std::string>& inputs, files::ReplacingFile& file,
                    const std::string& archivePath, bool existing, Stored& run);
  // The palette file's target palette; one that cannot be read refuses the run.
  std::optional<PictureMapper> GivenPalette(std::optional<Problem>& refused) const;
  // The store loop: every listed picture in turn, as the read-ahead gives it.
  // Returns the finished target palette of the PNG pictures.
  Bytes StorePictures(const std::vector<std::string>& inputs, std::optional<PictureMapper> given,
                      formats::ArchiveWriter& archive, Stored& run);
  // The per-picture step: checks, codes, verifies and appends one listed
  // picture, or each of its frames. True when something was stored.
  bool AddBitmap(const std::string& path, std::size_t index, AheadPicture next,
                 formats::ArchiveWriter& archive, Stored& run);
  bool StoreFrames(const std::string& path, SourcePicture& picture, formats::ArchiveWriter& archive,
                   Stored& run);
  // Codes, verifies and appends one picture or frame, logged as `shown`.
  // `changes` are what the archive shows otherwise than the picture.
  bool StoreEntry(const std::string& path, const std::string& shown,
                  const formats::StoredPicture& picture, std::span<const Fault> changes,
                  formats::ArchiveWriter& archive, Stored& run);
  void Report(Stored& run, const Problem& problem);
  // Makes the names of the archive durable; a failure is a failed output.
  void SyncFolders(Stored& run);

  files::FileSystem& files_;
  RunDelegate& delegate_;
  EncodeOptions options_;
};

}  // namespace sprite::pipeline
