// A problem of a run: its fault (kind and place) and what it did to the run,
// with the one wording every front end shows.
#pragma once

#include <string>
#include <string_view>

#include "common/fault.h"

namespace sprite::pipeline {

struct Problem {
  enum class Effect : std::uint8_t {
    kNotStored,         // a listed picture was left out of the archive
    kStoredAnyway,      // a picture was stored, with something to know about it
    kOutputFailed,      // an output (the archive, a bitmap, a folder) could not be written
    kEntryFailed,       // an archive entry could not be decoded, or was damaged
    kStopped,           // the user stopped the run
    kArchiveNotOpened,  // the archive could not be opened or is not one: nothing was decoded
    kLeftAsItWas,       // nothing was stored, and the file at the output was not replaced
    kRunRefused,        // the inputs cannot make an archive: nothing was stored
    kNoted,             // a picture was stored as the run was asked to: what that changed
  };

  Effect effect = Effect::kNotStored;
  Fault fault;
  // Its line in the log. Empty for kArchiveNotOpened, which a window shows in a
  // message box, and where the run logged the line already, in its place.
  std::string line;
  // Its words, naming its file: a line of standard error, a message box's text.
  std::string text;
  // A message box's informative text, below `text`; usually empty.
  std::string detail;
  // The log line names the file and says why; a line of the log's own words
  // ("Warning: Flip Invalid!") does not, and a window shows `text` after it.
  bool lineNamesIt = true;

  // A note tells what the run was asked to do: it is no problem of the input,
  // and leaves the exit status alone.
  bool CountsAgainstRun() const { return effect != Effect::kNoted; }
};

// The problems of the Encode and Decode runs, worded. `fault.path` names the
// file each is about.
// `words`: how advice names the options (sprite-cli's or the window's).
Problem PictureNotStored(Fault fault, OptionWords words = OptionWords::kCommandLine);
Problem StoredAnyway(Fault fault);
// What the archive shows otherwise than a stored picture: a note for what the
// run was asked to do (colours brought into a palette given or chosen), a
// warning (StoredAnyway) for the rest.
Problem ChangeStored(Fault fault);
// The palette the run was asked to map PNG pictures to had none to map
// (kMappingUnused): a warning, as what was asked was not done.
Problem MappingUnused(Fault fault, OptionWords words = OptionWords::kCommandLine);
// The archive could not be made or written; `replacing`: the run had begun, and
// the file that was at the path before (if any) is unchanged.
Problem ArchiveNotWritten(Fault fault, bool replacing);
// A decoded bitmap, or the folder of written files, could not be written;
// `rest`, where given, names the files not written after it ("bitmaps");
// `previousKept`: a file being replaced failed, and the one that was there is unchanged.
Problem OutputNotWritten(Fault fault, std::string_view rest = {}, bool previousKept = false);
// `rest`: what was not done with the entries from there on ("written", "listed"),
// and `what` they are called ("bitmaps", "PNG pictures", "entries").
Problem EntryNotDecoded(Fault fault, std::string_view what = "bitmaps",
                        std::string_view rest = "written");
// An entry read whole that could not be decoded: its file, `what` ("bitmap",
// "picture"), was not written, and the run goes on with the next.
Problem EntrySkipped(Fault fault, std::string_view what);
// `what` was not written: "the archive \"a.spr\"", "the bitmap being decoded";
// or, for what writes nothing, `undone` says what was not done.
Problem Stopped(const std::string& what, std::string_view undone = "was not written");
Problem ArchiveNotOpened(Fault fault);
// No palette could be read from the file `fault.path` (a palette command's input).
Problem PaletteNotRead(Fault fault);
// A run that stored nothing left the file at `archivePath` as it was.
Problem LeftAsItWas(const std::string& archivePath);
// The run would write `written` (as messages call it: the list "a.txt") over
// a file it reads, or write one file twice (`fault`): nothing was written.
Problem WriteRefused(Fault fault, std::string_view written);
// Encode's inputs cannot make an archive, so nothing was stored: the PNG
// pictures have more colours than a palette holds, or a list file or folder
// given (`fault.path`) cannot be read or holds no picture. `input` says what
// the file is to the run where a fault of the file alone would not ("the list").
Problem NothingEncoded(Fault fault, OptionWords words = OptionWords::kCommandLine,
                       std::string_view input = {});
// The palette file Encode was given (`fault.path`) cannot be read or is no
// palette, whatever the fault, so nothing was stored. The window keeps it
// between runs, so there it is named as its menu names it: the target palette.
Problem PaletteNotUsed(Fault fault, OptionWords words = OptionWords::kCommandLine);
// An archive an entry-level change cannot be made to (`fault.path`): it cannot
// be read, is not an archive, or is damaged; it is left as it was.
Problem ArchiveNotChanged(Fault fault);
// An archive entry that is damaged (`fault.path` the archive, `fault.entry`
// the entry), or bytes of it that belong to no entry; the rest goes on.
Problem EntryDamaged(Fault fault);
// `problem` of an entry of a decode, told also of the `what` before it
// ("bitmaps written") when the entry runs into the archive's last 1024 bytes: an
// archive cut short ends with no palette, so their colours may be wrong.
Problem WithColoursDoubted(Problem problem, std::string_view what);
// Every entry of the archive `fault.path` was decoded, yet bytes of it belong
// to no entry: the `what` written ("bitmaps") may not show what it holds.
Problem ArchiveNotWhole(Fault fault, std::string_view what);
// An entry-level change was not made: `reason` (empty when a problem reported
// before says why), and the archive at `archivePath` was left as it was.
Problem NothingChanged(const std::string& archivePath, const std::string& reason = {});
// An entry number the archive `fault.path` does not have (kNoSuchEntry): a
// usage error, without a log line.
Problem NoSuchEntry(Fault fault);
// The `count` entries an entry-level change kept in the archive `archivePath`
// come back with the palette of its last picture, `lastPath`, which differs
// from theirs.
Problem EntriesRecoloured(const std::string& archivePath, std::int32_t count,
                          const std::string& lastPath);
// An entry-level change of `archivePath` waits for another one to end: a note.
Problem WaitingForChange(const std::string& archivePath);

}  // namespace sprite::pipeline
