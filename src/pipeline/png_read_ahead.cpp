#include "pipeline/png_read_ahead.h"

#include <utility>

namespace sprite::pipeline {

PngReadAhead::PngReadAhead() : worker_([this] { Work(); }) {}

PngReadAhead::~PngReadAhead() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  workerWake_.notify_one();
  worker_.join();
}

bool PngReadAhead::Takes(std::uint64_t size) {
  const std::lock_guard lock(mutex_);
  return size <= kMostFileBytes - fileBytes_;
}

void PngReadAhead::Keep(const std::string& path, Bytes file) {
  {
    const std::lock_guard lock(mutex_);
    if (file.size() > kMostFileBytes - fileBytes_) {
      return;
    }
    fileBytes_ += file.size();
    Slot& slot = slots_.emplace_back();
    slot.path = path;
    slot.file = std::move(file);
    if (workerWaits_ != WorkerWait::kFile) {
      return;
    }
  }
  workerWake_.notify_one();
}

void PngReadAhead::Work() {
  for (std::size_t i = 0;; ++i) {
    Slot* slot = nullptr;
    {
      std::unique_lock lock(mutex_);
      // A file to decode, and room for its picture: none waiting, or less
      // than the bound. Once at the bound, the thread waits until the run has
      // taken half, so that it wakes for a burst rather than for each picture.
      if (aheadBytes_ >= kMostAheadBytes) {
        workerWaits_ = WorkerWait::kRoom;
        workerWake_.wait(lock, [&] { return stopping_ || aheadBytes_ <= kMostAheadBytes / 2; });
      }
      workerWaits_ = WorkerWait::kFile;
      workerWake_.wait(lock, [&] { return stopping_ || i < first_ + slots_.size(); });
      workerWaits_ = WorkerWait::kNot;
      if (stopping_) {
        return;
      }
      slot = &slots_[i - first_];
      if (slot->givenUp) {
        fileBytes_ -= slot->file.size();
        slot->file = Bytes{};
        slot->done = true;
        continue;
      }
    }
    // Nothing else touches the file before the slot is done.
    std::optional<formats::PngPicture> picture;
    std::exception_ptr fault;
    try {
      picture = formats::ReadPng(slot->file);
    } catch (...) {
      fault = std::current_exception();
    }
    {
      const std::lock_guard lock(mutex_);
      fileBytes_ -= slot->file.size();
      slot->file = Bytes{};
      slot->done = true;
      // A slot passed over while it was read keeps nothing.
      if (!slot->givenUp) {
        slot->picture = std::move(picture);
        slot->fault = fault;
        aheadBytes_ += slot->picture ? slot->picture->pixels.size() : 0;
      }
      if (runWaitsFor_ != i) {
        continue;
      }
    }
    pictureDone_.notify_one();
  }
}

std::optional<formats::PngPicture> PngReadAhead::Take(const std::string& path) {
  std::unique_lock lock(mutex_);
  const std::size_t end = first_ + slots_.size();
  std::size_t i = taken_;
  while (i < end && slots_[i - first_].path != path) {
    ++i;
  }
  if (i == end) {
    return std::nullopt;
  }
  for (std::size_t passed = taken_; passed <= i; ++passed) {
    Slot& slot = slots_[passed - first_];
    slot.givenUp = passed < i;
    if (passed < i && slot.picture) {
      aheadBytes_ -= slot.picture->pixels.size();
      slot.picture.reset();
      slot.fault = nullptr;
    }
  }
  taken_ = i + 1;
  // Pictures passed over may have made the room the worker waits for.
  if (workerWaits_ == WorkerWait::kRoom && aheadBytes_ <= kMostAheadBytes / 2) {
    workerWake_.notify_one();
  }
  Slot& slot = slots_[i - first_];
  runWaitsFor_ = i;
  pictureDone_.wait(lock, [&] { return slot.done; });
  runWaitsFor_ = kNoSlot;
  slot.givenUp = true;
  std::optional<formats::PngPicture> picture;
  if (slot.picture) {
    aheadBytes_ -= slot.picture->pixels.size();
    picture = std::move(slot.picture);
    slot.picture.reset();
  }
  const std::exception_ptr fault = std::exchange(slot.fault, nullptr);
  while (!slots_.empty() && slots_.front().givenUp && slots_.front().done) {
    slots_.pop_front();
    ++first_;
  }
  const bool roomMade = workerWaits_ == WorkerWait::kRoom && aheadBytes_ <= kMostAheadBytes / 2;
  lock.unlock();
  if (roomMade) {
    workerWake_.notify_one();
  }
  if (fault) {
    std::rethrow_exception(fault);
  }
  return picture;
}

}  // namespace sprite::pipeline
