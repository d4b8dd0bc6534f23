#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "codec/rle_decoder.h"
#include "common/bytes.h"
#include "formats/sprite_archive.h"
#include "pipeline/bounded_ahead.h"
#include "pipeline/entry_writer.h"

namespace sprite::pipeline {

// An archive's entries made into files on a second thread, in entry order,
// ahead of the run, so that decoding them (and compressing a PNG) overlaps
// writing the files before them. What the decoder tells its host of an entry
// is recorded there and told to the run's host, call for call, when the run
// takes that entry: the bars move as they would if the entry were decoded on
// the run's thread, and a stop asked for during one of those calls stops the
// run at the same place. Memory stays bounded whatever the number of entries:
// entries not taken yet hold at most kMostAheadBytes of files and recorded
// calls (and at least one entry), and at most BoundedAhead's kMostGivenBack
// entries given back wait to be freed.
class EntryDecodeAhead {
 public:
  static constexpr std::size_t kMostAheadBytes = std::size_t{1} << 20;

  // Makes the files of the next `count` entries of `reader` with `writer`;
  // both belong to the second thread until this is destroyed. It goes no
  // further than an entry that cannot be read, nor than one `writer` cannot
  // make a file of for other reasons than the entry's own (FaultError).
  EntryDecodeAhead(formats::ArchiveReader& reader, EntryWriter& writer, std::int32_t count);
  // The same for the entries of these numbers alone, in increasing order, from
  // a reader that has read none: the others' coded streams are not even read.
  EntryDecodeAhead(formats::ArchiveReader& reader, EntryWriter& writer,
                   std::vector<std::int32_t> numbers);

  // The file of the next entry, waited for, once its calls were told to
  // `host`. Rethrows what reading or writing the entry threw, and lets what
  // `host` throws pass. At most `count` calls.
  Bytes Next(codec::RowsHost& host);
  // Once Next threw: whether the fault was the entry's own (its coded stream
  // or its size), read whole, so that the entries after it are still made.
  bool GoesOn() const { return goesOn_; }
  // A file Next gave, once written: its memory is freed on the second thread,
  // which made it.
  void GiveBack(Bytes file);

 private:
  // One call of the decoder to its host: ElementsDecoded(percent, count),
  // RowsPlaced of the next `count` row percentages, or Yield.
  struct Call {
    enum class Kind : std::uint8_t { kElements, kRows, kYield } kind;
    std::int32_t percent = 0;
    std::int64_t count = 0;
  };
  struct Entry {
    std::vector<Call> calls;
    std::vector<std::int32_t> rowPercents;
    Bytes file;
    std::exception_ptr fault;
    bool ownFault = false;  // the fault is in this entry alone
    std::size_t Size() const {
      return file.size() + calls.size() * sizeof(Call) + rowPercents.size() * sizeof(std::int32_t);
    }
  };
  class Recorder;

  void Make(BoundedAhead<Entry>& ahead);
  static void TellAgain(const Entry& entry, codec::RowsHost& host);

  formats::ArchiveReader& reader_;
  EntryWriter& writer_;
  std::int32_t count_;
  std::vector<std::int32_t> numbers_;  // empty: every entry
  Entry spent_;                        // the last entry taken, less its file
  bool goesOn_ = false;
  // Last: its thread starts once the rest is made, and ends before it goes.
  BoundedAhead<Entry> ahead_;
};

}  // namespace sprite::pipeline
