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
  Recorder(Entry& entry, const std::atomic<bool>& stopping) : entry_(entry), stopping_(stopping) {}

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
    if (stopping_.load(std::memory_order_relaxed)) {
      throw StopAhead{};
    }
  }

  Entry& entry_;
  const std::atomic<bool>& stopping_;
};

EntryDecodeAhead::EntryDecodeAhead(formats::ArchiveReader& reader, EntryWriter& writer,
                                   std::int32_t count)
    : reader_(reader), writer_(writer), count_(count), worker_([this] { Work(); }) {}

EntryDecodeAhead::EntryDecodeAhead(formats::ArchiveReader& reader, EntryWriter& writer,
                                   std::vector<std::int32_t> numbers)
    : reader_(reader),
      writer_(writer),
      count_(static_cast<std::int32_t>(numbers.size())),
      numbers_(std::move(numbers)),
      worker_([this] { Work(); }) {}

EntryDecodeAhead::~EntryDecodeAhead() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  roomMade_.notify_one();
  worker_.join();
}

void EntryDecodeAhead::Work() {
  std::int32_t next = 1;  // the reader's next entry
  for (std::int32_t k = 0; k < count_; ++k) {
    {
      // At the bound the thread waits until the run has taken half, so that
      // it wakes for a burst rather than for each file.
      std::unique_lock lock(mutex_);
      if (aheadBytes_ >= kMostAheadBytes) {
        workerWaits_ = true;
        roomMade_.wait(lock, [&] { return stopping_ || aheadBytes_ <= kMostAheadBytes / 2; });
        workerWaits_ = false;
      }
      if (stopping_) {
        break;
      }
    }
    Entry entry;
    Recorder recorder(entry, stopping_);
    try {
      if (!numbers_.empty()) {
        for (; next < numbers_[static_cast<std::size_t>(k)]; ++next) {
          reader_.NextPlace();
        }
        ++next;
      }
      const auto coded = reader_.Next();
      if (!coded) {
        throw Error("the archive holds fewer entries than its header counts");
      }
      entry.file = writer_.Write(*coded, recorder);
    } catch (const StopAhead&) {
      break;
    } catch (...) {
      entry.fault = std::current_exception();
    }
    const bool failed = entry.fault != nullptr;
    bool wake = false;
    {
      const std::lock_guard lock(mutex_);
      aheadBytes_ += entry.Size();
      ready_.push_back(std::move(entry));
      wake = runWaits_;
    }
    if (wake) {
      entryReady_.notify_one();
    }
    if (failed) {
      break;
    }
  }
  bool wake = false;
  {
    const std::lock_guard lock(mutex_);
    ended_ = true;
    wake = runWaits_;
  }
  if (wake) {
    entryReady_.notify_one();
  }
}

Bytes EntryDecodeAhead::Next(codec::RowsHost& host) {
  Entry entry;
  bool roomMade = false;
  {
    std::unique_lock lock(mutex_);
    runWaits_ = true;
    entryReady_.wait(lock, [&] { return !ready_.empty() || ended_; });
    runWaits_ = false;
    if (ready_.empty()) {
      throw Error("no entry is left to take");
    }
    entry = std::move(ready_.front());
    ready_.pop_front();
    aheadBytes_ -= entry.Size();
    roomMade = workerWaits_ && aheadBytes_ <= kMostAheadBytes / 2;
  }
  if (roomMade) {
    roomMade_.notify_one();
  }
  TellAgain(entry, host);
  if (entry.fault) {
    std::rethrow_exception(entry.fault);
  }
  return std::move(entry.file);
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
