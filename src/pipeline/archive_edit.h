// Entry-level changes of an archive: replace, insert, append, delete, move.
#pragma once

#include <cstdint>
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

// Makes the archive Encode would make of the archive's pictures as the edit
// leaves them, without decoding one of them: the entries kept are copied as
// they are, a run at a time, and only the new pictures are read (as Encode
// reads them: bitmaps with their own palettes, PNG pictures mapped onto the
// archive's palette as --palette does) and coded. The trailer is the palette
// of the last picture, and every picture whose colours differ from it is
// named in a warning. The new archive is complete before it replaces the old
// one; an entry number the archive does not have, a damaged archive, a
// picture that cannot be stored, a failure or a stop leave it as it was.
class ArchiveEditRun {
 public:
  // `options`: how PNG pictures are mapped (its palette file, sheet and
  // skipping are not used: the archive's palette is the target).
  ArchiveEditRun(files::FileSystem& files, RunDelegate& delegate, EncodeOptions options = {})
      : files_(files), delegate_(delegate), options_(std::move(options)) {}

  RunReport Run(const std::string& archivePath, const ArchiveEdit& edit);

 private:
  // The offsets of every entry of the open archive and where its palette
  // starts, its palette, or a reported problem (false).
  bool ReadArchive(const std::string& archivePath, ByteSource& source);
  // Writes the pieces; false when a picture could not be stored.
  bool WritePieces(const std::string& archivePath, const ArchiveEdit& edit,
                   const std::vector<EditPiece>& pieces, ByteSource& source,
                   formats::ArchiveWriter& archive);
  // Reads and codes the picture of `path` into the archive; false when it is not stored.
  bool AddPicture(const std::string& path, formats::ArchiveWriter& archive);
  // The log's last line: what was done, and what the archive holds now.
  std::string Summary(const ArchiveEdit& edit, const std::string& archivePath, std::int32_t count,
                      std::uint64_t size) const;
  void Report(const Problem& problem);

  files::FileSystem& files_;
  RunDelegate& delegate_;
  EncodeOptions options_;
  RunReport report_;
  // The archive as it is: where each entry starts, and the palette after them.
  std::vector<std::uint64_t> starts_;
  Bytes palette_;
};

}  // namespace sprite::pipeline
