#include "pipeline/archive_entries.h"

#include <algorithm>
#include <array>

#include "codec/rle_decoder.h"
#include "common/error.h"
#include "files/whole_file.h"
#include "formats/little_endian.h"

namespace sprite::pipeline {
namespace {

// The decoder's host: a viewer shows no bars and its decode is not stopped.
class QuietHost : public codec::RowsHost {
 public:
  void ElementsDecoded(std::int32_t, std::int64_t) override {}
  void RowsPlaced(std::span<const std::int32_t>) override {}
  void Yield() override {}
};

constexpr std::uint64_t kCountOffset = 4;

std::int16_t Field16(ByteView bytes, std::size_t offset) {
  return static_cast<std::int16_t>(formats::ReadLittleEndian(bytes, offset, 2));
}

}  // namespace

std::int32_t ArchiveEntries::Count() {
  files::UseFile(files_, path_, [&](ByteSource& file) { Refresh(file); });
  return std::max<std::int32_t>(count_, 0);
}

formats::StoredPicture ArchiveEntries::Picture(std::int32_t number) {
  return files::UseFile(files_, path_, [&](ByteSource& file) {
    Refresh(file);
    Bytes entry = ReadEntry(file, number);
    if (entry.empty()) {
      // Another head where the table has this entry: the archive changed.
      Index(file);
      entry = ReadEntry(file, number);
    }
    if (entry.empty()) {
      throw FaultError({.kind = FaultKind::kUnexpected,
                        .entry = number,
                        .text = "the archive changed while it was read"});
    }
    const formats::EntryPlace& place = places_[static_cast<std::size_t>(number - 1)];
    QuietHost host;
    formats::StoredPicture picture;
    try {
      picture.storedRows = codec::RLEDecompressStoredRows(
          ByteView(entry).subspan(formats::kEntryHeadSize), place.width, host);
    } catch (FaultError& error) {
      Fault fault = error.Details();
      fault.entry = number;
      fault.offset = place.offset;
      throw FaultError(std::move(fault));
    }
    picture.width = place.width;
    picture.height = place.height;
    picture.palette.resize(formats::kTrailerSize);
    file.ReadAt(size_ - formats::kTrailerSize, picture.palette);
    return picture;
  });
}

Bytes ArchiveEntries::ReadEntry(ByteSource& file, std::int32_t number) {
  if (count_ < 0) {
    throw FaultError({.kind = FaultKind::kNegativeCount, .value = count_});
  }
  if (number < 1 || number > count_) {
    throw FaultError({.kind = FaultKind::kNoSuchEntry, .value = number, .bound = count_});
  }
  if (static_cast<std::size_t>(number) > places_.size()) {
    throw FaultError(*damage_);
  }
  const formats::EntryPlace& place = places_[static_cast<std::size_t>(number - 1)];
  Bytes entry(formats::kEntryHeadSize + static_cast<std::size_t>(place.length));
  file.ReadAt(place.offset, entry);
  const bool same = Field16(entry, 0) == place.width && Field16(entry, 2) == place.height &&
                    Field16(entry, 4) == place.length;
  return same ? entry : Bytes{};
}

void ArchiveEntries::Refresh(ByteSource& file) {
  if (read_ && file.Size() == size_) {
    std::array<std::uint8_t, 2> count{};
    file.ReadAt(kCountOffset, count);
    if (Field16(count, 0) == count_) {
      return;
    }
  }
  Index(file);
}

void ArchiveEntries::Index(ByteSource& file) {
  read_ = false;
  places_.clear();
  damage_.reset();
  formats::ArchiveReader reader(file);
  size_ = file.Size();
  count_ = reader.Count();
  try {
    while (const auto place = reader.NextPlace()) {
      places_.push_back(*place);
    }
  } catch (const FaultError& error) {
    damage_ = error.Details();
  }
  read_ = true;
}

}  // namespace sprite::pipeline
