// The words of a run's problems: the fault as Describe words it, framed by
// what the run was doing, and the log line the window shows for it.
#include "pipeline/problem.h"

#include <utility>

#include "common/text.h"

namespace sprite::pipeline {
namespace {

constexpr char kNotStoredLine[] =
    "ERROR: bitmap palette does not match format restriction (8BPP/256Cols)";
constexpr char kNothingStored[] = "; nothing was stored";

// A picture that fails the acceptance test of 8 bits and 256 colours, or that
// reads as empty headers (a missing file), gets the log's line for those.
bool FailsAcceptanceTest(FaultKind kind) {
  switch (kind) {
    case FaultKind::kNoSuchFile:
    case FaultKind::kEmptyFile:
    case FaultKind::kNotABitmap:
    case FaultKind::kHeadersCut:
    case FaultKind::kNotEightBit:
    case FaultKind::kOs2Header:
    case FaultKind::kNot256Colours:
      return true;
    default:
      return false;
  }
}

Problem Make(Problem::Effect effect, Fault fault, std::string text, std::string line) {
  const bool namesIt = line.find(text) != std::string::npos;
  return {effect, std::move(fault), std::move(line), std::move(text), {}, namesIt};
}

}  // namespace

Problem PictureNotStored(Fault fault, OptionWords words) {
  // A listed file that cannot be opened or read is said to be so; a missing
  // one is simply not there.
  const bool unread = IsFileFault(fault.kind) && fault.kind != FaultKind::kNoSuchFile;
  std::string text = Escaped(fault.path) + ": not stored: " + (unread ? "cannot read it: " : "") +
                     Describe(fault, words);
  std::string line = FailsAcceptanceTest(fault.kind) ? kNotStoredLine : "ERROR: " + text;
  return Make(Problem::Effect::kNotStored, std::move(fault), std::move(text), std::move(line));
}

Problem StoredAnyway(Fault fault) {
  std::string text = Escaped(fault.path) + ": stored, but " + Describe(fault);
  std::string line;
  switch (fault.kind) {
    case FaultKind::kRowsNotWhole:
      line = "Warning: Flip Invalid!";
      break;
    case FaultKind::kCodedRowsDiffer:
      line = "RLE: FAIL, decompressed and orig data not match!";
      break;
    case FaultKind::kOpaqueIndex0:
    case FaultKind::kOpaqueIndex0Nearest:
    case FaultKind::kGivenIndex0:
    case FaultKind::kColoursMerged:
    case FaultKind::kFramesLeftOut:
    case FaultKind::kRowsNotHeight:
      line = "Warning: " + Describe(fault);
      break;
    default:
      line =
          "Warning: a picture has other colours than the last one; the archive keeps only "
          "the last palette";
  }
  return Make(Problem::Effect::kStoredAnyway, std::move(fault), std::move(text), std::move(line));
}

Problem ChangeStored(Fault fault) {
  if (fault.kind != FaultKind::kColoursChanged) {
    return StoredAnyway(std::move(fault));
  }
  std::string text = Escaped(fault.path) + ": " + Describe(fault);
  std::string line = "Note: " + text;
  return Make(Problem::Effect::kNoted, std::move(fault), std::move(text), std::move(line));
}

Problem MappingUnused(Fault fault, OptionWords words) {
  std::string text = Describe(fault, words);
  std::string line = "Warning: " + text;
  return Make(Problem::Effect::kStoredAnyway, std::move(fault), std::move(text), std::move(line));
}

constexpr char kPreviousKept[] = "; the previous file is unchanged";

Problem ArchiveNotWritten(Fault fault, bool replacing) {
  std::string text = "cannot write the archive " + Quoted(fault.path) + ": " + Describe(fault) +
                     (replacing ? kPreviousKept : "");
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kOutputFailed, std::move(fault), std::move(text), std::move(line));
}

Problem OutputNotWritten(Fault fault, std::string_view rest, bool previousKept) {
  std::string text =
      "cannot write " + Quoted(fault.path) + ": " + Describe(fault) +
      (rest.empty() ? "" : "; the " + std::string(rest) + " from there on were not written") +
      (previousKept ? kPreviousKept : "");
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kOutputFailed, std::move(fault), std::move(text), std::move(line));
}

Problem WriteRefused(Fault fault, std::string_view written) {
  std::string text =
      "cannot write " + std::string(written) + ": " + Describe(fault) + "; nothing was written";
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kOutputFailed, std::move(fault), std::move(text), std::move(line));
}

Problem EntryNotDecoded(Fault fault, std::string_view what, std::string_view rest) {
  std::string text =
      (IsFileFault(fault.kind) ? "cannot read " + Quoted(fault.path) + ": " + Describe(fault)
                               : Escaped(fault.path) + ": " + Describe(fault)) +
      "; the " + std::string(what) + " from there on were not " + std::string(rest);
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kEntryFailed, std::move(fault), std::move(text), std::move(line));
}

Problem EntrySkipped(Fault fault, std::string_view what) {
  std::string text = Escaped(fault.path) + ": " + Describe(fault) + "; its " + std::string(what) +
                     " was not written";
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kEntryFailed, std::move(fault), std::move(text), std::move(line));
}

Problem Stopped(const std::string& what, std::string_view undone) {
  const std::string said = what + " " + std::string(undone);
  Problem problem = Make(Problem::Effect::kStopped, {.kind = FaultKind::kStopped},
                         "stopped: " + said, "Stopped: " + said);
  problem.lineNamesIt = true;
  return problem;
}

Problem LeftAsItWas(const std::string& archivePath) {
  const std::string what = "; " + Quoted(archivePath) + " was left as it was";
  Problem problem =
      Make(Problem::Effect::kLeftAsItWas, {.kind = FaultKind::kNothingStored, .path = archivePath},
           "nothing stored" + what, "Nothing stored" + what);
  problem.lineNamesIt = true;
  return problem;
}

Problem NothingEncoded(Fault fault, OptionWords words, std::string_view input) {
  std::string text;
  switch (fault.kind) {
    case FaultKind::kTooManyColours:
      text = "nothing stored: " + Describe(fault, words);
      break;
    case FaultKind::kNoPictures:
      text = Quoted(fault.path) + ": " + Describe(fault) + kNothingStored;
      break;
    case FaultKind::kBadListLine:
      text = "cannot use the list " + Quoted(fault.path) + ": " + Describe(fault) + kNothingStored;
      break;
    default:
      text = "cannot read " + (input.empty() ? "" : std::string(input) + " ") + Quoted(fault.path) +
             ": " + Describe(fault) + kNothingStored;
  }
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kRunRefused, std::move(fault), std::move(text), std::move(line));
}

Problem PaletteNotUsed(Fault fault, OptionWords words) {
  const std::string_view palette =
      words == OptionWords::kMenu ? "the target palette " : "the palette ";
  std::string text = "cannot use " + std::string(palette) + Quoted(fault.path) + ": " +
                     Describe(fault) + kNothingStored;
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kRunRefused, std::move(fault), std::move(text), std::move(line));
}

Problem ArchiveNotChanged(Fault fault) {
  std::string text = "cannot change " + Quoted(fault.path) + ": " + Describe(fault) +
                     (IsFileFault(fault.kind) ? "" : "; it was left as it was");
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kArchiveNotOpened, std::move(fault), std::move(text),
              std::move(line));
}

Problem EntryDamaged(Fault fault) {
  std::string text = Escaped(fault.path) + ": " + Describe(fault);
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kEntryFailed, std::move(fault), std::move(text), std::move(line));
}

Problem WithColoursDoubted(Problem problem, std::string_view what) {
  const FaultKind kind = problem.fault.kind;
  if (problem.fault.entry > 1 &&
      (kind == FaultKind::kStreamPastPalette || kind == FaultKind::kEntryHeadPastPalette)) {
    const std::string doubt = "; the " + std::string(what) +
                              " before it may have wrong colours: an archive cut short does "
                              "not end with its palette";
    problem.text += doubt;
    problem.line += doubt;
  }
  return problem;
}

Problem ArchiveNotWhole(Fault fault, std::string_view what) {
  std::string text = Escaped(fault.path) + ": " + Describe(fault) + "; the " + std::string(what) +
                     " written may not show what the archive holds";
  std::string line = "ERROR: " + text;
  return Make(Problem::Effect::kEntryFailed, std::move(fault), std::move(text), std::move(line));
}

Problem NothingChanged(const std::string& archivePath, const std::string& reason) {
  const std::string what = "; " + Quoted(archivePath) + " was left as it was";
  Problem problem =
      Make(Problem::Effect::kLeftAsItWas, {.kind = FaultKind::kNothingStored, .path = archivePath},
           (reason.empty() ? "nothing changed" : reason) + what,
           (reason.empty() ? "Nothing changed" : "ERROR: " + reason) + what);
  problem.lineNamesIt = true;
  return problem;
}

Problem NoSuchEntry(Fault fault) {
  std::string text = Quoted(fault.path) + ": " + Describe(fault);
  return Make(Problem::Effect::kRunRefused, std::move(fault), std::move(text), {});
}

Problem EntriesRecoloured(const std::string& archivePath, std::int32_t count,
                          const std::string& lastPath) {
  const bool one = count == 1;
  std::string text = Quoted(archivePath) + ": its " + std::to_string(count) +
                     (one ? " entry kept has" : " entries kept have") +
                     " other colours than the last picture, " + Quoted(lastPath) + "; " +
                     (one ? "it" : "they") + " will come back with its colours";
  return Make(Problem::Effect::kStoredAnyway,
              {.kind = FaultKind::kOtherColours, .path = archivePath, .value = count},
              std::move(text),
              "Warning: a picture has other colours than the last one; the archive keeps only "
              "the last palette");
}

Problem WaitingForChange(const std::string& archivePath) {
  std::string text =
      Quoted(archivePath) + " is being changed by another run; waiting for it to end";
  return Make(Problem::Effect::kNoted, {.kind = FaultKind::kChangedMeanwhile, .path = archivePath},
              text, "Note: " + text);
}

Problem PaletteNotRead(Fault fault) {
  Problem problem{Problem::Effect::kArchiveNotOpened, std::move(fault), {}, {}, {}, true};
  problem.text =
      "cannot read a palette from " + Quoted(problem.fault.path) + ": " + Describe(problem.fault);
  return problem;
}

Problem ArchiveNotOpened(Fault fault) {
  Problem problem{Problem::Effect::kArchiveNotOpened, std::move(fault), {}, {}, {}, true};
  const Fault& f = problem.fault;
  if (f.kind == FaultKind::kNotAnArchive) {
    problem.text = "Error";
    problem.detail = Quoted(f.path) + " is not a sprite archive: " + Describe(f) + ".";
  } else if (IsFileFault(f.kind)) {
    problem.text = "Cannot open the sprite archive " + Quoted(f.path) + ": " + Describe(f) + ".";
  } else {
    problem.text = "Cannot read the sprite archive " + Quoted(f.path) + ": " + Describe(f);
  }
  return problem;
}

}  // namespace sprite::pipeline
