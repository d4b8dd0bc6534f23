#include "formats/sprite_archive.h"

#include <algorithm>
#include <string>

#include "codec/picture_width.h"
#include "common/error.h"
#include "common/text.h"
#include "formats/little_endian.h"

namespace sprite::formats {

namespace {

constexpr std::uint64_t kCountOffset = 4;

std::string Text(std::int64_t value) {
  return std::to_string(value);
}

void CheckField(const char* name, std::int32_t value) {
  if (!FitsField(value)) {
    throw OverflowError(std::string("the ") + name + " " + Text(value) +
                        " does not fit the archive's 16-bit field (" + Text(kMinField) + " to " +
                        Text(kMaxField) + ")");
  }
}

std::int16_t Field16(ByteView bytes, std::size_t offset) {
  return static_cast<std::int16_t>(ReadLittleEndian(bytes, offset, 2));
}

}  // namespace

ArchiveWriter::ArchiveWriter(ByteSink& sink) : sink_(sink) {
  // The count is 0 until Finish knows how many entries were stored.
  Bytes header(kArchiveSignature.begin(), kArchiveSignature.end());
  AppendLittleEndian(header, 0, 2);
  AppendLittleEndian(header, 0, 2);  // reserved
  Append(header);
}

void ArchiveWriter::Append(ByteView bytes) {
  sink_.Append(bytes);
  size_ += bytes.size();
}

void ArchiveWriter::AddEntry(std::int32_t width, std::int32_t height, ByteView coded) {
  if (finished_) {
    throw InvalidArgumentError("the archive is finished; no entry can be added after its palette");
  }
  if (count_ >= kMaxEntries) {
    throw OverflowError("the archive already holds " + Text(kMaxEntries) +
                        " pictures, the most its count can hold");
  }
  CheckField("width", width);
  CheckField("height", height);
  // A picture without rows could not be read back.
  codec::CheckWidth(width);
  if (coded.size() > static_cast<std::size_t>(kMaxField)) {
    throw OverflowError("the coded picture is " + Text(static_cast<std::int64_t>(coded.size())) +
                        " bytes long; an archive entry holds at most " + Text(kMaxField));
  }
  Bytes head;
  head.reserve(kEntryHeadSize);
  AppendLittleEndian(head, static_cast<std::uint16_t>(width), 2);
  AppendLittleEndian(head, static_cast<std::uint16_t>(height), 2);
  AppendLittleEndian(head, static_cast<std::uint16_t>(coded.size()), 2);
  Append(head);
  Append(coded);
  ++count_;
}

void ArchiveWriter::Finish(ByteView palette) {
  if (finished_) {
    throw InvalidArgumentError("the archive is already finished");
  }
  if (palette.size() != kTrailerSize) {
    throw InvalidArgumentError("the archive palette is 1024 bytes, not " +
                               Text(static_cast<std::int64_t>(palette.size())));
  }
  Append(palette);
  Bytes count;
  AppendLittleEndian(count, static_cast<std::uint16_t>(count_), 2);
  sink_.WriteAt(kCountOffset, count);
  finished_ = true;
}

bool StartsWithArchiveSignature(ByteView bytes) {
  return bytes.size() >= kArchiveSignature.size() &&
         std::equal(kArchiveSignature.begin(), kArchiveSignature.end(), bytes.begin());
}

ArchiveReader::ArchiveReader(ByteSource& source) : source_(source) {
  const std::uint64_t size = source_.Size();
  std::array<std::uint8_t, 4> signature{};
  if (size < kTrailerSize) {
    // A small picture given as the archive is no archive, rather than a cut one.
    if (size >= signature.size()) {
      source_.ReadAt(0, signature);
      if (!StartsWithArchiveSignature(signature)) {
        throw FaultError({.kind = FaultKind::kNotAnArchive, .shown = HexAndShown(signature)});
      }
    }
    throw FaultError({.kind = FaultKind::kArchiveCut, .value = static_cast<std::int64_t>(size)});
  }
  trailerStart_ = size - kTrailerSize;
  // The palette comes first, so that it is known even for a file that turns out
  // not to be an archive.
  palette_.resize(kTrailerSize);
  source_.ReadAt(trailerStart_, palette_);

  source_.ReadAt(0, signature);
  if (!StartsWithArchiveSignature(signature)) {
    throw FaultError({.kind = FaultKind::kNotAnArchive, .shown = HexAndShown(signature)});
  }
  // A file of 1024 to 1031 bytes shares its header with the palette; its count
  // is read all the same, and an entry it claims runs past the palette's start.
  std::array<std::uint8_t, 2> count{};
  source_.ReadAt(kCountOffset, count);
  count_ = Field16(count, 0);
  position_ = kArchiveHeaderSize;
}

std::optional<ArchiveEntry> ArchiveReader::Next() {
  const std::optional<EntryPlace> place = NextPlace();
  if (!place) {
    return std::nullopt;
  }
  ArchiveEntry entry{place->number, place->width, place->height, {}};
  entry.coded.resize(static_cast<std::size_t>(place->length));
  source_.ReadAt(place->offset + kEntryHeadSize, entry.coded);
  return entry;
}

std::optional<EntryPlace> ArchiveReader::NextPlace() {
  if (nextNumber_ > count_) {
    return std::nullopt;
  }
  // Every fault of an entry names the entry and where it starts.
  const auto fault = [&](FaultKind kind, std::int64_t value, std::int64_t bound = 0) {
    return FaultError(
        {.kind = kind, .entry = nextNumber_, .offset = position_, .value = value, .bound = bound});
  };
  const auto trailerStart = static_cast<std::int64_t>(trailerStart_);
  if (position_ + kEntryHeadSize > trailerStart_) {
    throw fault(FaultKind::kEntryHeadPastPalette, count_, trailerStart);
  }
  std::array<std::uint8_t, kEntryHeadSize> head{};
  source_.ReadAt(position_, head);
  EntryPlace place{.number = nextNumber_,
                   .offset = position_,
                   .width = Field16(head, 0),
                   .height = Field16(head, 2),
                   .length = Field16(head, 4)};
  if (!codec::HasRows(place.width)) {
    throw fault(FaultKind::kWidthWithoutRows, place.width);
  }
  if (place.length < 0) {
    throw fault(FaultKind::kNegativeLength, place.length);
  }
  if (place.End() > trailerStart_) {
    throw fault(FaultKind::kStreamPastPalette, place.length, trailerStart);
  }
  position_ = place.End();
  ++nextNumber_;
  return place;
}

void ArchiveReader::CheckEntriesFill() const {
  if (count_ < 0) {
    throw FaultError({.kind = FaultKind::kNegativeCount, .value = count_});
  }
  if (position_ < trailerStart_) {
    throw FaultError({.kind = FaultKind::kBytesAfterEntries,
                      .offset = position_,
                      .value = static_cast<std::int64_t>(trailerStart_ - position_),
                      .bound = count_});
  }
}

}  // namespace sprite::formats
