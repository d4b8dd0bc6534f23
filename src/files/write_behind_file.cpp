#include "files/write_behind_file.h"

#include <utility>

namespace sprite::files {

WriteBehindFile::WriteBehindFile(std::unique_ptr<ReplacingFile> file) : file_(std::move(file)) {}

WriteBehindFile::~WriteBehindFile() {
  if (thread_.joinable()) {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
}

void WriteBehindFile::Append(ByteView bytes) {
  gathered_.insert(gathered_.end(), bytes.begin(), bytes.end());
  if (gathered_.size() >= kBlockBytes) {
    HandOver();
  }
}

void WriteBehindFile::WriteAt(std::uint64_t offset, ByteView bytes) {
  Drain();
  file_->WriteAt(offset, bytes);
  if (offset + bytes.size() > gatheredAt_) {
    gatheredAt_ = offset + bytes.size();
  }
}

void WriteBehindFile::Commit() {
  Drain();
  file_->Commit();
}

std::uint64_t WriteBehindFile::Finish() {
  Drain();
  return file_->Finish();
}

void WriteBehindFile::HandOver() {
  if (!thread_.joinable()) {
    thread_ = std::thread([this] { Run(); });
  }
  const std::size_t size = gathered_.size();
  {
    std::unique_lock lock(mutex_);
    WaitIdle(lock);
    block_.swap(gathered_);
    blockAt_ = gatheredAt_;
    busy_ = true;
  }
  changed_.notify_all();
  gatheredAt_ += size;
  gathered_.clear();  // the block written before, kept for its capacity
}

void WriteBehindFile::Drain() {
  if (!thread_.joinable()) {
    // Nothing was handed over: what is gathered goes straight to the file.
    if (!gathered_.empty()) {
      file_->WriteAt(gatheredAt_, gathered_);
      gatheredAt_ += gathered_.size();
      gathered_.clear();
    }
    return;
  }
  if (!gathered_.empty()) {
    HandOver();
  }
  std::unique_lock lock(mutex_);
  WaitIdle(lock);
}

void WriteBehindFile::WaitIdle(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [&] { return !busy_; });
  if (failed_) {
    std::rethrow_exception(failed_);
  }
}

void WriteBehindFile::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return busy_ || stopping_; });
    if (!busy_) {
      return;
    }
    lock.unlock();
    std::exception_ptr failed;
    try {
      file_->WriteAt(blockAt_, block_);
    } catch (...) {
      failed = std::current_exception();
    }
    lock.lock();
    failed_ = failed;
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace sprite::files
