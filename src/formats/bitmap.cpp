#include "formats/bitmap.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "codec/palette_swap.h"
#include "codec/picture_width.h"
#include "codec/row_alignment.h"
#include "common/error.h"
#include "common/text.h"
#include "formats/entry_limits.h"
#include "formats/little_endian.h"
#include "formats/memory_io.h"
#include "formats/sprite_archive.h"

namespace sprite::formats {

namespace {

// Field offsets in the file header and the information header.
constexpr std::size_t kPixelOffsetField = 10;
constexpr std::size_t kInfoHeaderSizeField = 14;
constexpr std::size_t kWidthField = 18;
constexpr std::size_t kHeightField = 22;
constexpr std::size_t kBitsPerPixelField = 28;
constexpr std::size_t kCompressionField = 30;
constexpr std::size_t kColoursUsedField = 46;
constexpr std::size_t kOs2BitsPerPixelField = 24;

constexpr std::uint16_t kAcceptedBitsPerPixel = 8;
constexpr std::uint32_t kAcceptedColoursUsed = 256;

// What a file that is not a bitmap is, from its first bytes: a known kind of
// picture, or its bytes shown.
Fault NotABitmap(ByteView fileStart) {
  struct Kind {
    std::string_view signature;
    const char* name;
  };
  static constexpr Kind kKinds[] = {
      {"\x89PNG", "a PNG picture"},
      {"\xFF\xD8\xFF", "a JPEG picture"},
      {"GIF8", "a GIF picture"},
  };
  const ByteView start = fileStart.first(std::min<std::size_t>(fileStart.size(), 4));
  if (StartsWithArchiveSignature(start)) {
    return {.kind = FaultKind::kNotABitmap, .text = "a sprite archive"};
  }
  const std::string_view text(reinterpret_cast<const char*>(start.data()), start.size());
  for (const Kind& kind : kKinds) {
    if (text.starts_with(kind.signature)) {
      return {.kind = FaultKind::kNotABitmap, .text = kind.name};
    }
  }
  return {.kind = FaultKind::kNotABitmap, .shown = HexAndShown(start)};
}

bool HasBitmapSignature(ByteView fileStart) {
  return fileStart.size() >= 2 && fileStart[0] == 'B' && fileStart[1] == 'M';
}

}  // namespace

BitmapHeaders ReadBitmapHeaders(ByteView file) {
  BitmapHeaders headers;
  headers.pixelOffset = ReadLittleEndian(file, kPixelOffsetField, 4);
  headers.infoHeaderSize = ReadLittleEndian(file, kInfoHeaderSizeField, 4);
  headers.width = static_cast<std::int32_t>(ReadLittleEndian(file, kWidthField, 4));
  headers.height = static_cast<std::int32_t>(ReadLittleEndian(file, kHeightField, 4));
  headers.bitsPerPixel = static_cast<std::uint16_t>(ReadLittleEndian(file, kBitsPerPixelField, 2));
  headers.compression = ReadLittleEndian(file, kCompressionField, 4);
  headers.coloursUsed = ReadLittleEndian(file, kColoursUsedField, 4);
  return headers;
}

bool PassesAcceptanceTest(const BitmapHeaders& headers) {
  return headers.bitsPerPixel == kAcceptedBitsPerPixel &&
         headers.coloursUsed == kAcceptedColoursUsed;
}

std::optional<Fault> JudgeBitmap(ByteView fileStart, const BitmapHeaders& headers) {
  // The fields read at the information header's offsets are an OS/2 bitmap's
  // palette there: whatever they say, the file cannot be read as one.
  if (headers.infoHeaderSize == kOs2HeaderSize && HasBitmapSignature(fileStart)) {
    return Fault{.kind = FaultKind::kOs2Header,
                 .offset = kInfoHeaderSizeField,
                 .value = ReadLittleEndian(fileStart, kOs2BitsPerPixelField, 2)};
  }
  if (PassesAcceptanceTest(headers)) {
    if (headers.compression == 0) {
      return std::nullopt;
    }
    // Compressed rows read as raw pixels would decode to noise.
    return Fault{.kind = FaultKind::kCompressed, .value = headers.compression};
  }
  if (fileStart.empty()) {
    return Fault{.kind = FaultKind::kEmptyFile};
  }
  if (!HasBitmapSignature(fileStart)) {
    return NotABitmap(fileStart);
  }
  if (fileStart.size() < kBitmapFileHeaderSize + kBitmapInfoHeaderSize) {
    return Fault{.kind = FaultKind::kHeadersCut,
                 .value = static_cast<std::int64_t>(fileStart.size())};
  }
  if (headers.bitsPerPixel != kAcceptedBitsPerPixel) {
    return Fault{.kind = FaultKind::kNotEightBit, .value = headers.bitsPerPixel};
  }
  return Fault{.kind = FaultKind::kNot256Colours, .value = headers.coloursUsed};
}

std::size_t PaletteOffset(const BitmapHeaders& headers, std::size_t paletteSize) {
  if (headers.infoHeaderSize <= kBitmapInfoHeaderSize) {
    return kClassicPaletteOffset;
  }
  // In 64 bits, so that no size field wraps around.
  const std::uint64_t offset = kBitmapFileHeaderSize + std::uint64_t{headers.infoHeaderSize};
  if (offset + paletteSize > headers.pixelOffset) {
    return kClassicPaletteOffset;
  }
  return static_cast<std::size_t>(offset);
}

BitmapLayout LocateBitmapParts(const BitmapHeaders& headers, std::uint64_t fileSize) {
  const std::size_t paletteOffset = PaletteOffset(headers);
  const std::size_t paletteEnd = paletteOffset + kPaletteSize;
  if (fileSize < paletteEnd) {
    throw FaultError({.kind = FaultKind::kPaletteCut,
                      .offset = paletteOffset,
                      .value = static_cast<std::int64_t>(fileSize),
                      .bound = static_cast<std::int64_t>(paletteEnd)});
  }
  if (!codec::HasRows(headers.width)) {
    throw FaultError(
        {.kind = FaultKind::kWidthWithoutRows, .offset = kWidthField, .value = headers.width});
  }
  if (headers.pixelOffset > fileSize) {
    throw FaultError({.kind = FaultKind::kPixelsPastEnd,
                      .value = headers.pixelOffset,
                      .bound = static_cast<std::int64_t>(fileSize)});
  }
  return {paletteOffset, headers.pixelOffset, fileSize - headers.pixelOffset};
}

AcceptedBitmap ReadBitmapParts(ByteSource& file, const BitmapHeaders& headers,
                               const BitmapLayout& layout) {
  AcceptedBitmap bitmap;
  bitmap.headers = headers;
  bitmap.palette.resize(kPaletteSize);
  file.ReadAt(layout.paletteOffset, bitmap.palette);
  bitmap.pixelArea.resize(static_cast<std::size_t>(layout.pixelAreaSize));
  file.ReadAt(layout.pixelOffset, bitmap.pixelArea);
  return bitmap;
}

AcceptedBitmap ReadAcceptedBitmap(ByteView file, const BitmapHeaders& headers) {
  MemorySource source(file);
  return ReadBitmapParts(source, headers, LocateBitmapParts(headers, file.size()));
}

StoredPicture ReadBitmapPicture(ByteSource& file) {
  const std::uint64_t size = file.Size();
  Bytes start(static_cast<std::size_t>(std::min<std::uint64_t>(size, kClassicPaletteOffset)));
  file.ReadAt(0, start);
  const BitmapHeaders headers = ReadBitmapHeaders(start);
  if (auto fault = JudgeBitmap(start, headers)) {
    throw FaultError(std::move(*fault));
  }
  const BitmapLayout layout = LocateBitmapParts(headers, size);
  if (auto misfit = CheckEntryFits({layout.pixelAreaSize, headers.width, headers.height, {}})) {
    throw FaultError(std::move(*misfit));
  }
  const AcceptedBitmap bitmap = ReadBitmapParts(file, headers, layout);

  StoredPicture picture;
  picture.width = headers.width;
  picture.height = headers.height;
  picture.heightFromBitmap = true;
  picture.palette = codec::SwapRedBlue(bitmap.palette);
  picture.storedRows = codec::StripRowAlignment(bitmap.pixelArea, headers.width);
  // The rows make the area again only when it was whole rows with zero alignment bytes.
  picture.rowsWhole = codec::RowsRebuildArea(bitmap.pixelArea, picture.storedRows, headers.width);
  return picture;
}

Bytes WriteBitmap(std::int16_t width, std::int16_t height, ByteView palette, ByteView pixelArea) {
  if (palette.size() != kPaletteSize) {
    throw InvalidArgumentError("a bitmap palette is 1024 bytes, not " +
                               std::to_string(palette.size()));
  }
  // The file size field is 32 bits.
  if (pixelArea.size() > std::numeric_limits<std::uint32_t>::max() - kWrittenPixelOffset) {
    throw OverflowError("a pixel area of " + std::to_string(pixelArea.size()) +
                        " bytes does not fit a bitmap file");
  }
  const auto areaLength = static_cast<std::uint32_t>(pixelArea.size());
  Bytes file;
  file.reserve(kWrittenPixelOffset + pixelArea.size());
  file.push_back('B');
  file.push_back('M');
  AppendLittleEndian(file, static_cast<std::uint32_t>(kWrittenPixelOffset) + areaLength, 4);
  AppendLittleEndian(file, 0, 4);  // both reserved fields
  AppendLittleEndian(file, static_cast<std::uint32_t>(kWrittenPixelOffset), 4);
  AppendLittleEndian(file, static_cast<std::uint32_t>(kBitmapInfoHeaderSize), 4);
  AppendLittleEndian(file, static_cast<std::uint32_t>(static_cast<std::int32_t>(width)), 4);
  AppendLittleEndian(file, static_cast<std::uint32_t>(static_cast<std::int32_t>(height)), 4);
  AppendLittleEndian(file, 1, 2);  // planes
  AppendLittleEndian(file, kAcceptedBitsPerPixel, 2);
  AppendLittleEndian(file, 0, 4);  // compression: none
  AppendLittleEndian(file, areaLength, 4);
  AppendLittleEndian(file, 0, 4);  // horizontal resolution
  AppendLittleEndian(file, 0, 4);  // vertical resolution
  AppendLittleEndian(file, kAcceptedColoursUsed, 4);
  AppendLittleEndian(file, 0, 4);  // important colours
  file.insert(file.end(), palette.begin(), palette.end());
  file.insert(file.end(), pixelArea.begin(), pixelArea.end());
  return file;
}

}  // namespace sprite::formats
