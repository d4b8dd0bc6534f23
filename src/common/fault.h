// What can be wrong with a file or with the bytes in it, and where: one
// enumeration of kinds, one record of the place and the facts, and one table
// (Describe) that words every kind for the log, standard error and message
// boxes alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sprite {

// Each kind names the fields of Fault it fills besides the place.
enum class FaultKind : std::uint8_t {
  // Files by path. `text` holds the system's reason where a kind has one.
  kNoFileName,        // the path is empty
  kNoSuchFile,        // nothing stands at the path
  kNotAPlainFile,     // text: what stands there instead ("a folder", "a named pipe (FIFO)")
  kNoSuchFolder,      // text: the folder a new file would go into
  kNotAFolder,        // text: the part of the path that should be a folder and is not
  kLinkNotFollowed,   // text: the shared sticky folder holding another user's link
  kCannotRead,        // text: the system's reason
  kCannotWrite,       // text: the system's reason
  kChangedMeanwhile,  // something else was put at the name while the new file was written
  kFileCut,           // the file ended at `offset` while it was read (it shrank meanwhile)
  kCannotStart,       // a program cannot be started; text: the system's reason
  // A regular file of another user in a shared sticky folder, which is not
  // replaced; text: the folder.
  kOthersFileNotReplaced,

  // Pictures that cannot be stored. `offset`, where given, is the header field's.
  kEmptyFile,
  kNotABitmap,         // text: what the file is ("a PNG picture"), or empty and `shown` its start
  kHeadersCut,         // value: the file's length, shorter than the 54 header bytes
  kNotEightBit,        // value: bits per pixel
  kOs2Header,          // value: bits per pixel, from the 12-byte OS/2 header
  kNot256Colours,      // value: colours used
  kCompressed,         // value: the compression field
  kPaletteCut,         // value: the file's length; bound: bytes the palette needs; offset: palette
  kPixelsPastEnd,      // value: the pixel offset; bound: the file's length
  kWidthWithoutRows,   // value: the width
  kPixelAreaTooLarge,  // value: the pixel area's length in bytes
  kSizeTooLarge,       // value: the width; bound: the height
  kCodesTooLong,       // value: the coded length; bound: the longest an entry holds

  // Pictures that were stored, with something the user should know.
  kRowsNotWhole,     // the pixel area is not whole rows with zero padding
  kCodedRowsDiffer,  // the coded rows did not decode back to the pixels
  kOtherColours,     // its palette differs from the last stored picture's, which the archive keeps
  kRowsNotHeight,    // value: the whole rows its pixel area holds; bound: the rows its height says

  // Sprite archives; `entry` numbers the entry from 1, `offset` is where it starts.
  kNotAnArchive,          // shown: the first four bytes
  kArchiveCut,            // value: the file's length, shorter than the 1024-byte palette
  kEntryHeadPastPalette,  // value: the header's count; bound: where the palette starts
  kNegativeLength,        // value: the coded length
  kStreamPastPalette,     // value: the coded length; bound: where the palette starts
  kNegativeCount,         // value: the header's count
  // Bytes between the last entry and the palette: value: how many; offset:
  // where they start; bound: the header's count.
  kBytesAfterEntries,
  // An entry number the archive does not have: value: the number; bound: the
  // count; text, where given: the numbers the command takes instead.
  kNoSuchEntry,
  // A coded stream whose last byte is a zero-run marker without its count:
  // value: the stream's length (the marker is its last byte).
  kLoneRunMarker,
  // Bytes in memory read past their end: offset and value (bytes asked for); bound: their length.
  kReadPastEnd,

  // PNG pictures. `offset`, where given, is the chunk's.
  kNotAPng,
  kDamagedPng,   // text: what is wrong and where (chunk, offset, pixel)
  kPngTooLarge,  // value: width; bound: height; text: the limits
  // Palette files; text: what is wrong and where (line, part).
  kNotAPaletteFile,
  kBadPaletteFile,
  // PNG pictures against the run's palette; `path` names the picture.
  kPartialAlpha,  // value: the alpha; text: the pixel, "(x, y)"
  // value: distinct opaque colours of the run's PNG pictures; text: the
  // pictures with the most colours of their own, or empty
  kTooManyColours,
  kPictureChanged,  // text: what differs from the palette pass
  kSheetNotWhole,   // value: width; bound: height; text: the frame size, "W × H"
  // Every frame of a sheet is see-through, and empty frames are left out:
  // value: the frames; text: their size, "W × H".
  kSheetAllEmpty,
  // value: opaque pixels a palette given or chosen has no exact entry for;
  // bound: the farthest one moved, in thousandths of OKLab's unit
  kColoursChanged,
  // A palette given (text: its file) or to be chosen (value: the colours) that
  // no picture was mapped to: the run stored only bitmaps, which keep their own.
  kMappingUnused,
  // A dithering asked for (text: its name) that no picture took: the run
  // added only bitmaps, which keep their own colours.
  kDitherUnused,
  kFileTooLarge,  // value: the file's length (0: a stream, not read to its end); bound: the most
                  // read of such a file
  kArchiveFull,   // the archive holds as many pictures as its count can say
  kNoPictures,    // a folder given as input holds no .bmp or .png file; text "list": a list none

  // Runs. A file the run would write is one it reads; `path` names the file
  // written, text the one read as the run calls it: the listed picture "a.bmp".
  kOutputIsInput,
  // A run stored no picture, and the file already at its output was left alone.
  kNothingStored,
  // A run that the user stopped before its end.
  kStopped,
  // One of the program's own checks failed where no file should lead; text: its words.
  kUnexpected,

  // A sheet larger than encode reads back; value: width; bound: height; text:
  // the limits and the cells.
  kSheetTooLarge,

  // PNG pictures stored with art an archive shows otherwise; `path` names the picture.
  kOpaqueIndex0,         // value: pixels of the opaque colour 0; text: its colour, "(r, g, b)"
  kOpaqueIndex0Nearest,  // value: those pixels; bound: the index they took; text: its colour
  // value: 8-bit colours that stand for several 16-bit ones; bound: 1 when at
  // least that many (the picture has too many colours to count them all)
  kColoursMerged,
  // A file the run would write is also another file it writes; `path` names
  // one, text the other as the run calls it: picture 1 "a.spr.0001.png".
  kOutputWrittenTwice,
  // A list file's line holds a control character; value: the line's number;
  // text: the character, escaped. Value 0: a line too long; text says which.
  kBadListLine,
  // A palette given holds a PNG picture's opaque colour only at index 0, which
  // is see-through; value: the pixels of that colour; text: it, "(r, g, b)".
  kGivenIndex0,
  // An animated PNG whose frames are not stored, but its still picture;
  // `path` names it; value: the frames left out.
  kFramesLeftOut,
};

struct Fault {
  FaultKind kind = FaultKind::kCannotRead;
  // Where: the file, the archive entry (0 for none), a byte offset.
  std::string path{};
  std::int32_t entry = 0;
  std::optional<std::uint64_t> offset{};
  // The facts, as the kind says.
  std::int64_t value = 0;
  std::int64_t bound = 0;
  std::string text{};
  std::string shown{};  // bytes of the file as HexAndShown writes them
};

// How the advice of a fault names what the user can change: sprite-cli's
// options ("give --alpha-threshold N") or the window's menu items ("choose
// Options ▸ Alpha threshold").
enum class OptionWords : std::uint8_t { kCommandLine, kMenu };

// The fault in plain words, without its path: "it is a 24-bit bitmap; only
// 8-bit bitmaps with 256 colours can be stored". Faults of files give the
// system's reason ("Permission denied"); the caller says what it tried.
std::string Describe(const Fault& fault, OptionWords words = OptionWords::kCommandLine);

// The kinds that concern a file as a whole (opening, reading, writing), not
// the bytes in it.
bool IsFileFault(FaultKind kind);

}  // namespace sprite
