#include "pipeline/entry_decode_ahead.h"

#include <utility>

#include "common/error.h"

namespace sprite::pipeline {

namespace {

// Thrown through the decoder to end the thread's entry when the run is done.
struct StopAhead {};

}  // namespace

// The host the second thread decodes with: keeps each call for the run.
class EntryDecodeAhead::Recorder : public codec::RowsHost {
 public:
  Recorder(Entry& entry, const BoundedAhead<Entry>& ahead) : entry_(entry), ahead_(ahead) {}

  void ElementsDecoded(std::int32_t percent, std::int64_t elements) override {
    StopIfAsked();
    entry_.calls.push_back({Call::Kind::kElements, percent, elements});
  }
  void RowsPlaced(std::span<const std::int32_t> percents) override {
    StopIfAsked();
    entry_.rowPercents.insert(entry_.rowPercents.end(), percents.begin(), percents.end());
    entry_.calls.push_back({Call::Kind::kRows, 0, static_cast<std::int64_t>(percents.size())});
  }
  void Yield() override {
    StopIfAsked();
    entry_.calls.push_back({Call::Kind::kYield});
  }

 private:
  void StopIfAsked() const {
    if (ahead_.Stopping()) {
      throw StopAhead{};
    }
  }

  Entry& entry_;
  const BoundedAhead<Entry>& ahead_;
};

EntryDecodeAhead::EntryDecodeAhead(formats::ArchiveReader& reader, EntryWriter& writer,
                                   std::int32_t count)
    : reader_(reader),
      writer_(writer),
      count_(count),
      ahead_(kMostAheadBytes, [this](BoundedAhead<Entry>& ahead) { Make(ahead); }) {}

EntryDecodeAhead::EntryDecodeAhead(formats::ArchiveReader& reader, EntryWriter& writer,
                                   std::vector<std::int32_t> numbers)
    : reader_(reader),
      writer_(writer),
      count_(static_cast<std::int32_t>(numbers.size())),
      numbers_(std::move(numbers)),
      ahead_(kMostAheadBytes, [this](BoundedAhead<Entry>& ahead) { Make(ahead); }) {}

void EntryDecodeAhead::Make(BoundedAhead<Entry>& ahead) {
  std::int32_t next = 1;  // the reader's next entry
  for (std::int32_t k = 0; k < count_ && ahead.Room(); ++k) {
    Entry entry;
    Recorder recorder(entry, ahead);
    try {
      if (!numbers_.empty()) {
        for (; next < numbers_[static_cast<std::size_t>(k)]; ++next) {
          reader_.NextPlace();
        }
        ++next;
      }
      const auto coded = reader_.Next();
      if (!coded) {
        throw FaultError({.kind = FaultKind::kUnexpected,
                          .text = "the archive holds fewer entries than its header counts"});
      }
      try {
        entry.file = writer_.Write(*coded, recorder);
      } catch (const FaultError&) {
        // The entry was read whole: the next one starts where it ends.
        entry.fault = std::current_exception();
        entry.ownFault = true;
      }
    } catch (const StopAhead&) {
      return;
    } catch (...) {
      entry.fault = std::current_exception();
    }
    const bool failed = entry.fault != nullptr && !entry.ownFault;
    const std::size_t size = entry.Size();
    ahead.Put(std::move(entry), size);
    if (failed) {
      return;
    }
  }
}

Bytes EntryDecodeAhead::Next(codec::RowsHost& host) {
  std::optional<Entry> entry = ahead_.Take();
  if (!entry) {
    throw InvalidArgumentError("no entry is left to take");
  }
  TellAgain(*entry, host);
  if (entry->fault) {
    goesOn_ = entry->ownFault;
    std::rethrow_exception(entry->fault);
  }
  Bytes file = std::move(entry->file);
  // Its recorded calls go back with its file, in one hand-over.
  spent_ = std::move(*entry);
  return file;
}

void EntryDecodeAhead::GiveBack(Bytes file) {
  spent_.file = std::move(file);
  ahead_.GiveBack(std::exchange(spent_, {}));
}

void EntryDecodeAhead::TellAgain(const Entry& entry, codec::RowsHost& host) {
  const std::int32_t* rows = entry.rowPercents.data();
  for (const Call& call : entry.calls) {
    switch (call.kind) {
      case Call::Kind::kElements:
        host.ElementsDecoded(call.percent, call.count);
        break;
      case Call::Kind::kRows:
        host.RowsPlaced({rows, static_cast<std::size_t>(call.count)});
        rows += call.count;
        break;
      case Call::Kind::kYield:
        host.Yield();
        break;
    }
  }
}

}  // namespace sprite::pipeline
