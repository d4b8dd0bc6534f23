#include "pipeline/archive_check.h"

#include <algorithm>
#include <bitset>
#include <optional>

#include "codec/rle_decoder.h"
#include "common/error.h"
#include "common/text.h"
#include "formats/sprite_archive.h"
#include "pipeline/opened_archive.h"

namespace sprite::pipeline {
namespace {

// The decoder's host: no bars to move, only a stop to ask for.
class StopOnlyHost : public codec::RowsHost {
 public:
  explicit StopOnlyHost(RunDelegate& delegate) : delegate_(delegate) {}
  void ElementsDecoded(std::int32_t, std::int64_t) override {}
  void RowsPlaced(std::span<const std::int32_t>) override {}
  void Yield() override {}
  // Asked between entries, not at every element: an entry decodes in microseconds.
  void CheckStop() {
    if (delegate_.ShouldStop()) {
      throw CancelledError();
    }
  }

 private:
  RunDelegate& delegate_;
};

}  // namespace

RunReport CheckArchive(files::FileSystem& files, RunDelegate& delegate,
                       const std::string& archivePath) {
  RunReport report;
  const auto problem = [&](const Problem& p) {
    ++report.problems;
    delegate.Report(p);
  };
  std::optional<OpenedArchive> archive = OpenedArchive::Open(files, delegate, archivePath, report);
  if (!archive) {
    return report;
  }
  formats::ArchiveReader* reader = &archive->Reader();
  const std::int16_t count = reader->Count();
  delegate.Log(Escaped(archivePath) + ": " + std::to_string(count) +
                   (count == 1 ? " picture, " : " pictures, ") +
                   std::to_string(archive->File().Size()) + " bytes",
               false);
  StopOnlyHost host(delegate);
  std::bitset<256> used;
  std::int32_t checked = 0;
  std::int32_t damaged = 0;
  bool walked = false;
  try {
    try {
      while (const auto entry = reader->Next()) {
        host.CheckStop();
        ++checked;
        try {
          for (const std::uint8_t index :
               codec::RLEDecompressStoredRows(entry->coded, entry->width, host)) {
            used.set(index);
          }
        } catch (FaultError& error) {
          Fault fault = error.Details();
          fault.path = archivePath;
          fault.entry = entry->number;
          ++damaged;
          problem(EntryDamaged(std::move(fault)));
        }
      }
      walked = true;
      reader->CheckEntriesFill();
    } catch (FaultError& error) {
      Fault fault = error.Details();
      fault.path = archivePath;
      // A damaged head is an entry looked at; those after it cannot be reached.
      checked += walked ? 0 : 1;
      ++damaged;
      problem(walked ? EntryDamaged(std::move(fault))
                     : EntryNotDecoded(std::move(fault), "entries", "checked"));
    }
  } catch (const CancelledError&) {
    report.cancelled = true;
    problem(Stopped("the check of " + Quoted(archivePath), "was not finished"));
    return report;
  }
  delegate.Log("Palette: " + std::to_string(used.count()) + " of its 256 colours used", false);
  const std::int32_t unreached = walked ? 0 : std::max(0, reader->Count() - checked);
  delegate.Log(
      "Checked " + std::to_string(checked) + (checked == 1 ? " entry: " : " entries: ") +
          (damaged == 0 ? "no damage found" : std::to_string(damaged) + " damaged") +
          (unreached > 0 ? "; the " + std::to_string(unreached) + " after it could not be reached"
                         : ""),
      false);
  report.stored = checked;
  report.completed = damaged == 0;
  return report;
}

}  // namespace sprite::pipeline
