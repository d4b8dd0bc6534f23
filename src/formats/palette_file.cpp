#include "formats/palette_file.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "codec/palette_swap.h"
#include "common/error.h"
#include "common/text.h"
#include "common/utf8.h"
#include "formats/bitmap.h"
#include "formats/memory_io.h"
#include "formats/png_writer.h"
#include "formats/sprite_archive.h"
#include "formats/text_lines.h"

namespace sprite::formats {

namespace {

constexpr std::string_view kGimpFirstLine = "GIMP Palette";
constexpr std::string_view kJascFirstLine = "JASC-PAL";
// A colour line with a long name fits; a line past this is no palette's, and
// 256 colours with comments between them take far fewer lines.
constexpr std::size_t kMaxLineBytes = 4096;
constexpr std::size_t kMaxLines = 65536;
// What is shown of a line at fault.
constexpr std::size_t kShownBytes = 40;

std::string Text(std::uint64_t value) {
  return std::to_string(value);
}

[[noreturn]] void Bad(std::string what) {
  throw FaultError({.kind = FaultKind::kBadPaletteFile, .text = std::move(what)});
}

using Rgb = std::array<std::uint8_t, 3>;

PaletteFile Padded(PaletteFileKind kind, const std::vector<Rgb>& entries) {
  PaletteFile file;
  file.kind = kind;
  file.entriesGiven = entries.size();
  file.palette.assign(kPaletteEntries * 4, 0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::copy(entries[i].begin(), entries[i].end(), file.palette.data() + 4 * i);
  }
  return file;
}

// The start of a line at fault, control characters escaped, between quotes.
std::string Shown(std::string_view line) {
  return Quoted(Escaped(line.substr(0, Utf8PrefixLength(line, kShownBytes))));
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The three whole numbers 0 to 255 a colour line starts with.
Rgb ParseColour(std::string_view line, std::size_t lineNumber) {
  Rgb colour{};
  const char* at = line.data();
  const char* end = line.data() + line.size();
  for (std::uint8_t& channel : colour) {
    while (at != end && (*at == ' ' || *at == '\t')) {
      ++at;
    }
    unsigned value = 0;
    const auto [next, fault] = std::from_chars(at, end, value);
    if (fault != std::errc() || value > 255 || (next != end && *next != ' ' && *next != '\t')) {
      Bad("line " + Text(lineNumber) + " (" + Shown(line) +
          ") is not a colour: three whole numbers from 0 to 255 were expected");
    }
    channel = static_cast<std::uint8_t>(value);
    at = next;
  }
  return colour;
}

void CheckCount(std::size_t count) {
  if (count > kPaletteEntries) {
    Bad("it has " + Text(count) + " colours; a palette holds at most 256");
  }
}

// After the first line.
PaletteFile ReadGimp(TextLines& lines) {
  std::vector<Rgb> entries;
  while (const auto next = lines.Next()) {
    const std::string_view line = Trimmed(*next);
    if (line.empty() || line.starts_with('#') || line.starts_with("Name:") ||
        line.starts_with("Columns:") || line.starts_with("Channels:")) {
      continue;
    }
    entries.push_back(ParseColour(line, lines.Number()));
    CheckCount(entries.size());
  }
  if (entries.empty()) {
    Bad("the GIMP palette has no colours");
  }
  return Padded(PaletteFileKind::kGimp, entries);
}

// After the first line; lines after the colours it counts are not read.
PaletteFile ReadJasc(TextLines& lines) {
  const auto version = lines.Next();
  const auto countLine = version ? lines.Next() : std::nullopt;
  if (!countLine || Trimmed(*version) != "0100") {
    Bad("line 2 of the JASC palette is not its version \"0100\"");
  }
  const std::string_view countText = Trimmed(*countLine);
  std::size_t count = 0;
  const auto [next, fault] =
      std::from_chars(countText.data(), countText.data() + countText.size(), count);
  if (fault != std::errc() || next != countText.data() + countText.size() || count == 0) {
    Bad("line 3 of the JASC palette (" + Shown(countText) + ") is not its number of colours");
  }
  CheckCount(count);
  std::vector<Rgb> entries;
  while (entries.size() < count) {
    const auto line = lines.Next();
    if (!line) {
      Bad("the JASC palette counts " + Text(count) + " colours but has only " +
          Counted(entries.size(), "line", "lines") + " for them");
    }
    entries.push_back(ParseColour(*line, lines.Number()));
  }
  return Padded(PaletteFileKind::kJasc, entries);
}

PaletteFile ReadPngPalette(ByteView file, const PngLimits& limits) {
  const PngPicture picture = ReadPng(file, limits);
  std::vector<Rgb> entries;
  if (picture.form == PngForm::kIndexed) {
    for (const PngColour& c : picture.palette) {
      entries.push_back({c.red, c.green, c.blue});
    }
    return Padded(PaletteFileKind::kPng, entries);
  }
  // A see-through pixel (alpha 0) shows no colour, so it brings none in. A
  // picture with any keeps entry 0 for them, as index 0 is see-through in an
  // archive, with the colour of the first; its opaque colours follow.
  std::optional<Rgb> seeThrough;
  auto seen = std::make_unique<std::bitset<1 << 24>>();
  std::size_t distinct = 0;
  for (std::size_t i = 0; i < picture.pixels.size(); i += 4) {
    const std::uint8_t* p = picture.pixels.data() + i;
    if (p[3] == 0) {
      seeThrough = seeThrough.value_or(Rgb{p[0], p[1], p[2]});
      continue;
    }
    const std::size_t key = std::size_t{p[0]} << 16 | std::size_t{p[1]} << 8 | p[2];
    if (!seen->test(key)) {
      seen->set(key);
      ++distinct;
      if (entries.size() < kPaletteEntries) {
        entries.push_back({p[0], p[1], p[2]});
      }
    }
  }
  if (!seeThrough) {
    CheckCount(distinct);
    return Padded(PaletteFileKind::kPng, entries);
  }
  if (distinct >= kPaletteEntries) {
    Bad("it has " + Text(distinct) +
        " opaque colours; besides entry 0, for its see-through pixels, a palette holds at most "
        "255");
  }
  entries.insert(entries.begin(), *seeThrough);
  return Padded(PaletteFileKind::kPng, entries);
}

PaletteFile ReadBitmapPalette(ByteSource& file) {
  Bytes start(static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kWrittenPixelOffset)));
  file.ReadAt(0, start);
  const BitmapHeaders headers = ReadBitmapHeaders(start);
  // Fields past the end read as 0, and an OS/2 bitmap's 12-byte header puts
  // other bytes where the bit count is looked for: either would be worded as
  // some "N-bit bitmap".
  if (start.size() < kClassicPaletteOffset) {
    Bad("the bitmap is " + Counted(start.size(), "byte", "bytes") + " long, too short for the " +
        Text(kClassicPaletteOffset) + " bytes of its headers");
  }
  if (headers.infoHeaderSize == kOs2HeaderSize) {
    Bad("its information header is 12 bytes long, an OS/2 bitmap's; only a Windows bitmap, "
        "with a header of 40 bytes or more, has a palette to read here");
  }
  if (headers.bitsPerPixel != 1 && headers.bitsPerPixel != 4 && headers.bitsPerPixel != 8) {
    Bad("it is a " + Text(headers.bitsPerPixel) +
        "-bit bitmap; only a bitmap of 1, 4 or 8 bits per pixel has a palette to read");
  }
  // As many entries as its pixels can name, or fewer where the colours-used field says so.
  const std::size_t most = std::size_t{1} << headers.bitsPerPixel;
  const std::size_t count =
      headers.coloursUsed == 0 || headers.coloursUsed > most ? most : headers.coloursUsed;
  const std::size_t offset = PaletteOffset(headers, 4 * count);
  if (file.Size() < offset + 4 * count) {
    Bad("the bitmap is " + Counted(file.Size(), "byte", "bytes") + " long, too short for its " +
        Text(count) + "-colour palette at offset " + Text(offset));
  }
  Bytes palette(4 * count);
  file.ReadAt(offset, palette);
  std::vector<Rgb> entries;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = palette.data() + 4 * i;
    entries.push_back({p[2], p[1], p[0]});
  }
  return Padded(PaletteFileKind::kBitmap, entries);
}

PaletteFile ReadArchivePalette(ByteSource& file) {
  ArchiveReader reader(file);
  // The palette is the 1024 bytes after the last entry: entries that run past
  // it or end before it (bytes added at the end, a count changed) leave no
  // telling which bytes it is, and a palette taken anyway would be wrong unsaid.
  while (reader.NextPlace()) {
  }
  reader.CheckEntriesFill();
  return PaletteOfTrailer(reader.Palette());
}

bool StartsWith(ByteView file, std::string_view prefix) {
  return file.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), file.begin(),
                    [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

void CheckPalette(ByteView palette) {
  if (palette.size() != kPaletteEntries * 4) {
    throw InvalidArgumentError("a palette is 1024 bytes, not " + Text(palette.size()));
  }
}

void AppendText(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

PaletteFile PaletteOfTrailer(ByteView trailer) {
  PaletteFile palette;
  palette.kind = PaletteFileKind::kArchive;
  palette.palette.assign(trailer.begin(), trailer.end());
  palette.palette.resize(kPaletteEntries * 4, 0);
  for (std::size_t i = 3; i < palette.palette.size(); i += 4) {
    palette.palette[i] = 0;  // as an archive writes it, whatever the trailer holds
  }
  palette.entriesGiven = kPaletteEntries;
  return palette;
}

PaletteFile ReadPaletteFile(ByteSource& file, std::uint64_t maxPngBytes, const PngLimits& limits) {
  Bytes start(static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), 64)));
  file.ReadAt(0, start);
  if (IsPng(start)) {
    if (file.Size() > maxPngBytes) {
      throw FaultError({.kind = FaultKind::kFileTooLarge,
                        .value = static_cast<std::int64_t>(file.Size()),
                        .bound = static_cast<std::int64_t>(maxPngBytes)});
    }
    Bytes whole(static_cast<std::size_t>(file.Size()));
    file.ReadAt(0, whole);
    return ReadPngPalette(whole, limits);
  }
  if (StartsWithArchiveSignature(start)) {
    return ReadArchivePalette(file);
  }
  if (StartsWith(start, "BM")) {
    return ReadBitmapPalette(file);
  }
  MemorySource startSource(start);
  SourceStream startStream(startSource);
  TextLines firstLines(startStream, start.size(), 1, FaultKind::kNotAPaletteFile);
  const std::string_view first = Trimmed(firstLines.Next().value_or(""));
  if (first == kGimpFirstLine || first == kJascFirstLine) {
    SourceStream stream(file);
    TextLines lines(stream, kMaxLineBytes, kMaxLines, FaultKind::kBadPaletteFile);
    lines.Next();
    return first == kGimpFirstLine ? ReadGimp(lines) : ReadJasc(lines);
  }
  throw FaultError({.kind = FaultKind::kNotAPaletteFile});
}

PaletteFile ReadPaletteFile(ByteView file, const PngLimits& limits) {
  MemorySource source(file);
  return ReadPaletteFile(source, file.size(), limits);
}

Bytes WriteGimpPalette(ByteView palette, std::string_view name) {
  CheckPalette(palette);
  Bytes out;
  AppendText(out, "GIMP Palette\nName: ");
  // A line end in the name would end the line early.
  for (const char c : name) {
    out.push_back(c == '\n' || c == '\r' ? ' ' : static_cast<std::uint8_t>(c));
  }
  AppendText(out, "\nColumns: 16\n#\n");
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    char line[32];
    const int length =
        std::snprintf(line, sizeof line, "%3u %3u %3u\tIndex %zu\n", unsigned{palette[4 * i]},
                      unsigned{palette[4 * i + 1]}, unsigned{palette[4 * i + 2]}, i);
    out.insert(out.end(), line, line + length);
  }
  return out;
}

Bytes WriteJascPalette(ByteView palette) {
  CheckPalette(palette);
  Bytes out;
  AppendText(out, "JASC-PAL\r\n0100\r\n256\r\n");
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    AppendText(out, Text(palette[4 * i]) + " " + Text(palette[4 * i + 1]) + " " +
                        Text(palette[4 * i + 2]) + "\r\n");
  }
  return out;
}

Bytes WriteSwatchPng(ByteView palette) {
  Bytes indexes(kPaletteEntries);
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    indexes[i] = static_cast<std::uint8_t>(i);
  }
  return WriteIndexedPng(16, 16, indexes, palette, {.seeThroughIndex0 = false});
}

}  // namespace sprite::formats
