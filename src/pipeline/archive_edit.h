// Entry-level changes of an archive: replace, insert, append, delete, move.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "files/file_system.h"
#include "pipeline/edit_plan.h"
#include "pipeline/encode_run.h"
#include "pipeline/run_delegate.h"
#include "pipeline/run_report.h"

namespace sprite::formats {
class ArchiveWriter;
}

namespace sprite::pipeline {

class KeptEntries;

// Makes the archive Encode would make of the archive's pictures as the edit
// leaves them, without decoding one of them: the entries kept are copied as
// they are, in one pass over the archive, and only the new pictures are read (as Encode
// reads them: bitmaps with their own palettes, PNG pictures mapped onto the
// archive's palette as --palette does) and coded. The trailer is the palette
// of the last picture, and every picture whose colours differ from it is
// named in a warning. The new archive is complete before it replaces the old
// one; an entry number the archive does not have, a damaged archive (found
// on the way: then no more is read or written), a picture that cannot be
// stored, a failure or a stop leave it as it was.
class ArchiveEditRun {
 public:
  // `options`: how PNG pictures are mapped (its palette file, sheet and
  // skipping are not used: the archive's palette is the target).
  ArchiveEditRun(files::FileSystem& files, RunDelegate& delegate, EncodeOptions options = {})
      : files_(files), delegate_(delegate), options_(std::move(options)) {}

  RunReport Run(const std::string& archivePath, const ArchiveEdit& edit);

 private:
  // Opens the archive for the change, waiting while another change holds it.
  std::unique_ptr<ByteSource> OpenForChange(const std::string& archivePath);
  // Writes the pieces; false when a picture could not be stored.
  bool WritePieces(const std::string& archivePath, const ArchiveEdit& edit,
                   const std::vector<EditPiece>& pieces, KeptEntries& kept,
                   formats::ArchiveWriter& archive);
  // The log's last line: what was done, and what the archive holds now.
  std::string Summary(const ArchiveEdit& edit, const std::string& archivePath, std::int32_t before,
                      std::int32_t count, std::uint64_t size) const;
  void Report(const Problem& problem);

  files::FileSystem& files_;
  RunDelegate& delegate_;
  EncodeOptions options_;
  RunReport report_;
};

}  // namespace sprite::pipeline
