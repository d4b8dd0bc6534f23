// Sprite archive (.spr): any number of 8-bit pictures that share one
// 256-colour palette, each run-length coded. Three regions, in this order and
// with nothing between them; every number is a 16-bit signed little-endian
// field. No checksum, no version beyond the signature, no table of offsets: a
// reader finds the entries by walking them from offset 8.
//
//   header, 8 bytes, at offset 0
//     0   4  signature   53 50 01 02 ("SP", then the bytes 1 and 2)
//     4   2  count       the number of entries that follow
//     6   2  reserved    written 00 00, skipped on reading
//
//   entry, `count` times, each directly after the one before
//     0   2  width       pixels, which is also the bytes of each stored row; 1 or more
//     2   2  height      the bitmap's height field, sign kept (negative: top row first)
//     4   2  length      the coded bytes that follow; 0 to 32767, and at most
//                        32766 as Encode writes it (kMaxStoredStream)
//     6   length         the stored rows, coded: a byte 01..FF stands for itself,
//                        00 n for n zero bytes (n = 0 stands for none)
//
//   palette, the last 1024 bytes
//     256 colours of 4 bytes: red, green, blue, 0
//
// Stored rows are the picture's rows without their 4-byte alignment, in the
// reverse of the bitmap file's order (top row first for the usual bottom-up
// bitmap); their number is the decoded length divided by the width. The
// smallest archive, with no entries, is 8 + 1024 = 1032 bytes. The limits of
// an entry are in formats/entry_limits.h.
//
// Example: one picture 4 wide and 2 high whose rows, top first, are
// 02 00 00 00 and 00 00 01 01, in 1043 bytes:
//   53 50 01 02 01 00 00 00   04 00 02 00 05 00   02 00 05 01 01   palette
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/byte_io.h"
#include "common/bytes.h"
#include "formats/entry_limits.h"

namespace sprite::formats {

inline constexpr std::array<std::uint8_t, 4> kArchiveSignature = {0x53, 0x50, 0x01, 0x02};
inline constexpr std::size_t kArchiveHeaderSize = 8;
inline constexpr std::size_t kEntryHeadSize = 6;
inline constexpr std::size_t kTrailerSize = 1024;  // the palette
// The most bytes an archive's fields can reach: every entry the count allows,
// each as long as its length allows. Anything longer ends in bytes no entry holds.
inline constexpr std::uint64_t kLongestArchive =
    kArchiveHeaderSize + std::uint64_t{kMaxEntries} * (kEntryHeadSize + kMaxField) + kTrailerSize;

// The bytes start as every archive does.
bool StartsWithArchiveSignature(ByteView bytes);

// Writes an archive front to back: the header now (count 0), the entries as they
// come, then the palette trailer, and finally the count of entries stored.
class ArchiveWriter {
 public:
  explicit ArchiveWriter(ByteSink& sink);

  // Throws OverflowError when a value does not fit its 16-bit field (the coded
  // length 0..32767) or the archive already holds 32767 entries; FaultError
  // (kWidthWithoutRows) for a width of 0 or less; InvalidArgumentError after
  // Finish.
  void AddEntry(std::int32_t width, std::int32_t height, ByteView coded);
  // `palette` is kTrailerSize bytes in archive order (red, green, blue, 0);
  // InvalidArgumentError otherwise, or when called twice.
  void Finish(ByteView palette);

  std::int32_t Count() const { return count_; }
  // The bytes written so far.
  std::uint64_t Size() const { return size_; }

 private:
  void Append(ByteView bytes);

  ByteSink& sink_;
  std::int32_t count_ = 0;
  std::uint64_t size_ = 0;
  bool finished_ = false;
};

// Where an entry lies in its archive, and its head's fields.
struct EntryPlace {
  std::int32_t number = 0;   // 1-based
  std::uint64_t offset = 0;  // of its head
  std::int16_t width = 0;
  std::int16_t height = 0;
  std::int16_t length = 0;  // of its coded stream, 0 or more

  // The offset just past its coded stream.
  std::uint64_t End() const { return offset + kEntryHeadSize + static_cast<std::uint64_t>(length); }
};

struct ArchiveEntry {
  std::int32_t number = 0;  // 1-based
  std::int16_t width = 0;
  std::int16_t height = 0;
  Bytes coded;
};

// Reads an archive entry by entry, checking every field against the file before
// following it. Memory stays that of one entry.
class ArchiveReader {
 public:
  // Reads the palette trailer and the header. Throws FaultError for a file
  // whose first four bytes are not the signature (kNotAnArchive, showing
  // them), or one that starts as an archive and is shorter than 1024 bytes
  // (kArchiveCut).
  explicit ArchiveReader(ByteSource& source);

  const Bytes& Palette() const { return palette_; }  // archive order: red, green, blue, 0
  std::int16_t Count() const { return count_; }

  // The next entry, or nothing after the last one. Throws FaultError naming the
  // entry and its offset when its head or coded stream runs past the start of
  // the palette trailer, its length is negative, or its width is 0 or less;
  // calling it again after that throws the same error. Nothing is read outside
  // the file.
  std::optional<ArchiveEntry> Next();
  // The same checks and steps as Next, without reading the coded stream.
  std::optional<EntryPlace> NextPlace();
  // After the last entry: throws FaultError when the entries do not fill the
  // archive up to its palette, as every archive Encode writes does: a negative
  // count (kNegativeCount), or bytes that belong to no entry
  // (kBytesAfterEntries). A change that kept only the entries would lose them.
  void CheckEntriesFill() const;

 private:
  ByteSource& source_;
  Bytes palette_;
  std::int16_t count_ = 0;
  std::int32_t nextNumber_ = 1;
  std::uint64_t position_ = kArchiveHeaderSize;
  std::uint64_t trailerStart_ = 0;
};

}  // namespace sprite::formats
