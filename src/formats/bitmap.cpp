#include "formats/bitmap.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "codec/picture_width.h"
#include "common/error.h"
#include "formats/little_endian.h"
#include "formats/memory_io.h"

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

constexpr std::uint16_t kAcceptedBitsPerPixel = 8;
constexpr std::uint32_t kAcceptedColoursUsed = 256;

std::string Text(std::uint64_t value) {
  return std::to_string(value);
}

std::string CompressionName(std::uint32_t compression) {
  switch (compression) {
    case 1:
      return ", run-length 8-bit";
    case 2:
      return ", run-length 4-bit";
    case 3:
    case 6:
      return ", bit fields";
    case 4:
      return ", JPEG";
    case 5:
      return ", PNG";
    default:
      return "";
  }
}

// What a file that is not a bitmap looks like, from its first bytes.
std::string NotABitmap(ByteView fileStart) {
  struct Kind {
    std::string_view signature;
    const char* name;
  };
  static constexpr Kind kKinds[] = {
      {"\x89PNG", "a PNG picture"},
      {"\xFF\xD8\xFF", "a JPEG picture"},
      {"GIF8", "a GIF picture"},
      {"SP\x01\x02", "a sprite archive"},
  };
  const std::string_view start(reinterpret_cast<const char*>(fileStart.data()),
                               std::min<std::size_t>(fileStart.size(), 4));
  for (const Kind& kind : kKinds) {
    if (start.starts_with(kind.signature)) {
      return "it is " + std::string(kind.name) + ", not a bitmap file";
    }
  }
  std::string shown;
  std::string hex;
  for (const char c : start) {
    const auto byte = static_cast<unsigned char>(c);
    static constexpr char kDigits[] = "0123456789ABCDEF";
    hex += hex.empty() ? "" : " ";
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
    shown += byte >= 0x20 && byte < 0x7F ? c : '.';
  }
  return "it is not a bitmap file: it starts with " + hex + " (\"" + shown + "\"), not with \"BM\"";
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

std::string WhyNotStorable(ByteView fileStart, const BitmapHeaders& headers) {
  if (PassesAcceptanceTest(headers)) {
    if (headers.compression == 0) {
      return {};
    }
    return "it is compressed (compression " + Text(headers.compression) +
           CompressionName(headers.compression) + "); only uncompressed bitmaps can be stored";
  }
  if (fileStart.empty()) {
    return "the file is empty";
  }
  if (fileStart.size() < 2 || fileStart[0] != 'B' || fileStart[1] != 'M') {
    return NotABitmap(fileStart);
  }
  if (fileStart.size() < kBitmapFileHeaderSize + kBitmapInfoHeaderSize) {
    return "it is " + Text(fileStart.size()) +
           " bytes long, too short for the 54 bytes of bitmap headers";
  }
  constexpr char kOnly[] = "; only 8-bit bitmaps with 256 colours can be stored";
  if (headers.bitsPerPixel != kAcceptedBitsPerPixel) {
    return "it is a " + Text(headers.bitsPerPixel) + "-bit bitmap" + kOnly;
  }
  if (headers.coloursUsed == 0) {
    return "it is an 8-bit bitmap that does not give its number of colours (0)" +
           std::string(kOnly);
  }
  return "it is an 8-bit bitmap with " + Text(headers.coloursUsed) + " colours" + kOnly;
}

std::size_t PaletteOffset(const BitmapHeaders& headers) {
  if (headers.infoHeaderSize <= kBitmapInfoHeaderSize) {
    return kClassicPaletteOffset;
  }
  // In 64 bits, so that no size field wraps around.
  const std::uint64_t offset = kBitmapFileHeaderSize + std::uint64_t{headers.infoHeaderSize};
  if (offset + kPaletteSize > headers.pixelOffset) {
    return kClassicPaletteOffset;
  }
  return static_cast<std::size_t>(offset);
}

BitmapLayout LocateBitmapParts(const BitmapHeaders& headers, std::uint64_t fileSize) {
  const std::size_t paletteOffset = PaletteOffset(headers);
  const std::size_t paletteEnd = paletteOffset + kPaletteSize;
  if (fileSize < paletteEnd) {
    throw FormatError("the file is " + Text(fileSize) +
                      " bytes long, too short to hold the 1024-byte palette at offset " +
                      Text(paletteOffset) + " (" + Text(paletteEnd) + " bytes needed)");
  }
  if (!codec::HasRows(headers.width)) {
    throw FormatError(codec::WidthWithoutRows("the width at offset 18", headers.width));
  }
  if (headers.pixelOffset > fileSize) {
    throw FormatError("the pixel offset " + Text(headers.pixelOffset) +
                      " lies past the end of the file (" + Text(fileSize) + " bytes)");
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

Bytes WriteBitmap(std::int16_t width, std::int16_t height, ByteView palette, ByteView pixelArea) {
  if (palette.size() != kPaletteSize) {
    throw InvalidArgumentError("a bitmap palette is 1024 bytes, not " + Text(palette.size()));
  }
  // The file size field is 32 bits.
  if (pixelArea.size() > std::numeric_limits<std::uint32_t>::max() - kWrittenPixelOffset) {
    throw OverflowError("a pixel area of " + Text(pixelArea.size()) +
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
