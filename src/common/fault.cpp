// The one table of words for every fault kind.
#include "common/fault.h"

#include "common/error.h"
#include "common/text.h"

namespace sprite {
namespace {

std::string Number(std::int64_t value) {
  return std::to_string(value);
}

// "a 4-bit", "an 8-bit": the number with its article, as it is said.
std::string ABits(std::int64_t bits) {
  const std::string digits = Number(bits);
  const bool vowel = digits.starts_with('8') || bits == 11 || bits == 18;
  return (vowel ? "an " : "a ") + digits + "-bit";
}

std::string Pixels(std::int64_t count) {
  return Counted(count, "pixel", "pixels");
}

std::string ByteCount(std::int64_t count) {
  return Counted(count, "byte", "bytes");
}

std::string Entries(std::int64_t count) {
  return Counted(count, "entry", "entries");
}

// "0.031" for 31: a whole number of thousandths as a decimal.
std::string Thousandths(std::int64_t thousandths) {
  const std::string digits = std::to_string(1000 + thousandths);
  return Number(thousandths / 1000) + "." + digits.substr(digits.size() - 3);
}

std::string Offset(const Fault& fault) {
  return std::to_string(fault.offset.value_or(0));
}

// What a bitmap's compression field says, after its number.
std::string CompressionName(std::int64_t compression) {
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

// "entry 3 at offset 120: " for a fault inside an archive entry.
std::string EntryPlace(const Fault& fault) {
  if (fault.entry <= 0) {
    return {};
  }
  return "entry " + Number(fault.entry) + (fault.offset ? " at offset " + Offset(fault) : "") +
         ": ";
}

// What a bitmap of another kind can be saved as instead: a PNG picture may have any colours.
constexpr char kSaveAsOne[] = ": save it as one, or as a PNG picture";
const std::string kOnlyEightBit =
    std::string("; only 8-bit bitmaps with 256 colours can be stored") + kSaveAsOne;

}  // namespace

bool IsFileFault(FaultKind kind) {
  switch (kind) {
    case FaultKind::kNoFileName:
    case FaultKind::kNoSuchFile:
    case FaultKind::kNotAPlainFile:
    case FaultKind::kNoSuchFolder:
    case FaultKind::kNotAFolder:
    case FaultKind::kLinkNotFollowed:
    case FaultKind::kOthersFileNotReplaced:
    case FaultKind::kCannotRead:
    case FaultKind::kCannotWrite:
    case FaultKind::kChangedMeanwhile:
    case FaultKind::kFileCut:
    case FaultKind::kCannotStart:
      return true;
    default:
      return false;
  }
}

std::string Describe(const Fault& fault, OptionWords words) {
  const bool menu = words == OptionWords::kMenu;
  using enum FaultKind;
  switch (fault.kind) {
    case kNoFileName:
      return "no file name was given";
    case kNoSuchFile:
      return "there is no such file";
    case kNotAPlainFile:
      return "it is " + fault.text + ", not a file";
    case kNoSuchFolder:
      return "the folder " + Escaped(fault.text) + " does not exist";
    case kNotAFolder:
      return Escaped(fault.text) + " is not a folder";
    case kLinkNotFollowed:
      return "it is a symbolic link in the shared folder " + Escaped(fault.text) +
             " that belongs to another user; it is not followed";
    case kOthersFileNotReplaced:
      return "it is a file of another user in the shared folder " + Escaped(fault.text) +
             "; it is not replaced";
    case kCannotRead:
    case kCannotWrite:
    case kCannotStart:
      return fault.text;
    case kChangedMeanwhile:
      return "something else was put at that name while the file was written";
    case kFileCut:
      return "the file ended at byte " + Offset(fault) + " while it was read";

    case kEmptyFile:
      return "the file is empty";
    case kNotABitmap:
      if (!fault.text.empty()) {
        return "it is " + fault.text + ", not a bitmap file";
      }
      return "it is not a bitmap file: it starts with " + fault.shown + ", not with \"BM\"";
    case kHeadersCut:
      return "it is " + ByteCount(fault.value) +
             " long, too short for the 54 bytes of bitmap headers";
    case kNotEightBit:
      return "it is " + ABits(fault.value) + " bitmap" + kOnlyEightBit;
    case kOs2Header:
      return "it is " + ABits(fault.value) +
             " OS/2 bitmap, with a 12-byte information header; only 8-bit bitmaps with 256 "
             "colours and a header of 40 bytes or more can be stored" +
             kSaveAsOne;
    case kNot256Colours:
      if (fault.value == 0) {
        return "it is an 8-bit bitmap that does not give its number of colours (0)" + kOnlyEightBit;
      }
      return "it is an 8-bit bitmap with " + Counted(fault.value, "colour", "colours") +
             kOnlyEightBit;
    case kCompressed:
      return "it is compressed (compression " + Number(fault.value) + CompressionName(fault.value) +
             "); only uncompressed bitmaps can be stored: save it again without compression";
    case kPaletteCut:
      return "it is damaged: the file is " + ByteCount(fault.value) +
             " long, too short to hold the 1024-byte palette at offset " + Offset(fault) + " (" +
             Number(fault.bound) + " bytes needed)";
    case kPixelsPastEnd:
      return "it is damaged: the pixel offset " + Number(fault.value) +
             " lies past the end of the file (" + ByteCount(fault.bound) + ")";
    case kWidthWithoutRows: {
      const std::string width =
          fault.entry == 0 && fault.offset ? "the width at offset " + Offset(fault) : "the width";
      const std::string what =
          width + " is " + Number(fault.value) + "; a picture needs a width of at least 1 pixel";
      return fault.entry > 0 ? EntryPlace(fault) + what : "it is damaged: " + what;
    }
    case kPixelAreaTooLarge:
      return "its pixel area of " + Number(fault.value) +
             " bytes is too large for one archive entry";
    case kSizeTooLarge:
      return "it is too large: " + Number(fault.value) + " x " + Number(fault.bound) +
             " pixels; an archive entry holds at most 32767 in each direction";
    case kCodesTooLong:
      return "it is too large: it codes to " + Number(fault.value) + " bytes, more than the " +
             Number(fault.bound) + " an archive entry holds";

    case kRowsNotWhole:
      return "its pixel area is not whole rows with zero padding, so it will not come back byte "
             "for byte";
    case kCodedRowsDiffer:
      return "its coded rows did not decode back to its pixels";
    case kOtherColours:
      return "it has other colours than the last picture; it will come back with the last "
             "picture's colours";
    case kRowsNotHeight:
      return "its pixel area holds " + Counted(fault.value, "row", "rows") +
             " where its height says " + Number(fault.bound) +
             ", and the archive keeps both as they are";

    case kNotAnArchive:
      return "it starts with " + fault.shown +
             "; a sprite archive starts with 53 50 01 02 (\"SP\" and the bytes 1 and 2)";
    case kArchiveCut:
      return "the file is " + ByteCount(fault.value) +
             " long, too short to hold the 1024-byte palette at its end";
    case kEntryHeadPastPalette:
      return EntryPlace(fault) +
             "the 6-byte entry head runs past the start of the palette at offset " +
             Number(fault.bound) + " (the header counts " + Entries(fault.value) + ")";
    case kNegativeCount:
      return "the header counts " + Number(fault.value) + " entries; a count cannot be negative";
    case kBytesAfterEntries:
      return ByteCount(fault.value) + " at offset " + Offset(fault) + ", after the last of the " +
             Entries(fault.bound) + " the header counts, " +
             (fault.value == 1 ? "belongs" : "belong") + " to no entry";
    case kNoSuchEntry:
      return "there is no entry " + Number(fault.value) + ": the archive holds " +
             Counted(fault.bound, "picture", "pictures") +
             (fault.bound > 0 ? ", numbered from 1" : "") +
             (fault.text.empty() ? "" : "; " + fault.text);
    case kNegativeLength:
      return EntryPlace(fault) + "the coded length is " + Number(fault.value) +
             "; it cannot be negative";
    case kStreamPastPalette:
      return EntryPlace(fault) + "the " + Number(fault.value) +
             "-byte coded stream runs past the start of the palette at offset " +
             Number(fault.bound);
    case kLoneRunMarker:
      return EntryPlace(fault) + "the coded stream of " + ByteCount(fault.value) +
             " ends with a zero-run marker at byte " + Number(fault.value) +
             " and no count byte after it";
    case kReadPastEnd:
      return "a read of " + ByteCount(fault.value) + " at offset " + Offset(fault) +
             " runs past the end of the data (" + ByteCount(fault.bound) + ")";

    case kNotAPng:
      return "it is not a PNG picture: it does not start with the PNG signature";
    case kDamagedPng:
    case kBadPaletteFile:
    case kPictureChanged:
      return fault.text;
    case kPngTooLarge:
      return "the picture is " + Number(fault.value) + " × " + Number(fault.bound) +
             " pixels, larger than " + fault.text;
    case kNotAPaletteFile:
      return "it is not a palette file: not a GIMP or JASC palette, a PNG, a bitmap or a sprite "
             "archive";
    case kPartialAlpha:
      return "pixel " + fault.text + " is partly see-through (alpha " + Number(fault.value) +
             "); a sprite pixel is see-through (alpha 0) or opaque (alpha 255): " +
             (menu ? "choose Options ▸ Alpha threshold to count alpha below a threshold as "
                     "see-through"
                   : "give --alpha-threshold N to count alpha below N as see-through");
    case kTooManyColours:
      return "the PNG pictures have " + Number(fault.value) +
             " distinct opaque colours; an archive palette holds 255 besides the see-through "
             "index 0" +
             (fault.text.empty() ? "" : "; most colours of their own: " + fault.text) + ": " +
             (menu ? "choose Options ▸ Colours… to choose 255 of them, or Options ▸ Target "
                     "palette to map them to a palette"
                   : "give --colours 255 to choose 255 of them, or --palette FILE to map them to "
                     "a palette");
    case kSheetNotWhole:
      return "the picture is " + Number(fault.value) + " × " + Number(fault.bound) +
             " pixels, not a whole number of " + fault.text + " frames";
    case kSheetAllEmpty:
      return (fault.value == 1
                  ? "its one frame of " + fault.text + " is"
                  : "all its " + Number(fault.value) + " frames of " + fault.text + " are") +
             " see-through, and --skip-empty leaves such frames out";
    case kColoursChanged:
      return Pixels(fault.value) + " took a near palette colour, " +
             (fault.value == 1 ? "" : "the farthest ") +
             // A move that rounds to nothing is still a move.
             (fault.bound == 0 ? "less than 0.001" : Thousandths(fault.bound)) + " away (OKLab)";
    case kMappingUnused:
      if (fault.value > 0) {
        return (menu ? "Options ▸ Colours… (" + Number(fault.value) + ")"
                     : "--colours " + Number(fault.value)) +
               " had no effect: it chooses a palette from the colours of PNG pictures, and this "
               "run stored only bitmaps, which keep their own palettes";
      }
      return (menu ? "the target palette " : "--palette ") + Quoted(fault.text) +
             " had no effect: it maps the colours of PNG pictures, and this run stored only "
             "bitmaps, which keep their own palettes; the archive keeps the last one's";
    case kDitherUnused:
      return (menu ? "the " + fault.text + " dithering" : "--dither " + fault.text) +
             " had no effect: it dithers the colours of PNG pictures, and this run added only "
             "bitmaps, which keep their own palettes";
    case kArchiveFull:
      return "the archive already holds 32767 pictures, as many as it can";
    case kNoPictures:
      return fault.text == "list" ? "the list names no picture"
                                  : "the folder holds no .bmp or .png file";
    case kFileTooLarge:
      if (fault.value == 0) {  // a stream, read no further
        return "it goes on past the " + Number(fault.bound) + " bytes such a file may have here";
      }
      return "the file is " + Number(fault.value) + " bytes long, more than the " +
             Number(fault.bound) + " bytes such a file may have here";

    case kOutputIsInput:
      return fault.text + " is the same file; a run never writes over a file it reads";
    case kNothingStored:
      return "nothing was stored, so the file there was left as it was";
    case kStopped:
      return "stopped by the user";
    case kUnexpected:
      return fault.text;
    case kSheetTooLarge:
      return "the sheet would be " + Number(fault.value) + " × " + Number(fault.bound) +
             " pixels, larger than the PNG pictures encode reads back: " + fault.text;
    case kOpaqueIndex0:
      return "its " + Pixels(fault.value) + " of the opaque colour 0 " + fault.text +
             " will come back see-through, as index 0 is in an archive: give the picture a "
             "see-through palette entry (tRNS), or --opaque-index0=keep to move them to an "
             "index of their colour";
    case kOpaqueIndex0Nearest:
      return "its " + Pixels(fault.value) + " of the opaque colour 0 took the nearest colour, " +
             "index " + Number(fault.bound) + " " + fault.text +
             ": the palette has no free entry and no other of their colour";
    case kGivenIndex0:
      return "its " + Pixels(fault.value) + " of the colour " + fault.text +
             " took the nearest other colour: the palette holds that colour only at index 0, "
             "which is see-through in an archive; give them alpha 0 to make them see-through, "
             "or the palette that colour at another entry";
    case kColoursMerged:
      return "its 16-bit samples were rounded to the 8 bits an archive keeps, and " +
             std::string(fault.bound != 0 ? "at least " : "") + Number(fault.value) +
             (fault.value == 1 ? " colour now stands" : " colours now stand") +
             " for several that differed only below those 8 bits";
    case kFramesLeftOut:
      return "it is an animated PNG: only its still picture, the one its IDAT chunks hold, "
             "is read, and " +
             Counted(fault.value, "frame", "frames") + " of its animation (acTL chunk) " +
             (fault.value == 1 ? "is" : "are") +
             " left out; save each frame as a picture of its own to store them";
    case kOutputWrittenTwice:
      return fault.text + " is the same file; a run never writes one file twice";
    case kBadListLine:
      if (fault.value == 0) {  // a line longer than any path, as the reader words it
        return fault.text;
      }
      return "line " + Number(fault.value) + " holds the control character " + fault.text +
             "; a list names one path a line, in characters that print";
  }
  return "unknown fault";
}

void FaultError::Word() {
  message_ = fault_.path.empty() ? Describe(fault_) : Quoted(fault_.path) + ": " + Describe(fault_);
}

}  // namespace sprite
