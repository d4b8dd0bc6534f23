// An archive's pictures one at a time, by entry number, for a viewer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/fault.h"
#include "files/file_system.h"
#include "formats/sprite_archive.h"
#include "formats/stored_picture.h"

namespace sprite::pipeline {

// The heads of the entries are read once, into a table of where each entry
// lies; a picture asked for is read and decoded alone, the file opened for it
// and closed again. An archive changed since (another size, another count, or
// another head where the entry was) is read anew. Memory: the table (at most
// 32767 places) and one picture.
class ArchiveEntries {
 public:
  ArchiveEntries(files::FileSystem& files, std::string path)
      : files_(files), path_(std::move(path)) {}

  const std::string& Path() const { return path_; }
  // The number of entries the archive's header counts (a negative count: 0).
  // Throws FaultError, with the path, for a file that cannot be read or is no archive.
  std::int32_t Count();
  // Entry `number`, 1 to Count(): its width, height field, stored rows and the
  // archive's palette. Throws FaultError with the path and the entry for an
  // entry that cannot be decoded or lies past a damaged one, and as Count.
  formats::StoredPicture Picture(std::int32_t number);
  // The count as the archive was last read, without reading it again.
  std::int32_t CountRead() const { return std::max<std::int32_t>(count_, 0); }

 private:
  // Reads the table anew when it is not read or the file no longer fits it.
  void Refresh(ByteSource& file);
  void Index(ByteSource& file);
  // Entry `number`'s head and coded stream; empty when the head there is not
  // the one the table has.
  Bytes ReadEntry(ByteSource& file, std::int32_t number);

  files::FileSystem& files_;
  std::string path_;
  bool read_ = false;
  std::uint64_t size_ = 0;
  std::int16_t count_ = 0;
  std::vector<formats::EntryPlace> places_;
  // What ended the table before the count, for the entries from there on.
  std::optional<Fault> damage_;
};

}  // namespace sprite::pipeline
