// How the Decode run turns an archive entry into a file: a bitmap, or a PNG
// picture.
#pragma once

#include <memory>

#include "codec/rle_decoder.h"
#include "common/bytes.h"
#include "formats/sprite_archive.h"

namespace sprite::pipeline {

class EntryWriter {
 public:
  virtual ~EntryWriter() = default;
  // The written files' extension: ".bmp", ".png".
  virtual const char* Extension() const = 0;
  // The file of one entry. `host` is told the decoder's progress and may stop
  // the run by throwing. Throws FaultError for an entry that cannot be decoded.
  virtual Bytes Write(const formats::ArchiveEntry& entry, codec::RowsHost& host) = 0;
};

// 8-bit bitmaps with the archive's palette (`palette` in archive order).
std::unique_ptr<EntryWriter> MakeBitmapWriter(const Bytes& palette);
// 8-bit indexed PNG pictures with the archive's palette, index 0 see-through
// unless `opaque`; an entry whose rows are not whole, or whose height field is
// not their number, keeps its shape in the picture (WriteEntryPng).
std::unique_ptr<EntryWriter> MakePngWriter(const Bytes& palette, bool opaque);

}  // namespace sprite::pipeline
