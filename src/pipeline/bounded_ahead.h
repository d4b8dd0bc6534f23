// Items made in order on a second thread, ahead of the run's thread that takes
// them, in memory bounded whatever their number.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "common/error.h"

namespace sprite::pipeline {

// Making the next item (reading and decoding a file, decoding an entry)
// overlaps using the ones before it. The items not taken yet hold at most
// `mostBytes` (and at least one item). At the bound the maker waits until the
// taker has taken half; a taker that ran dry waits for a burst (half the bound,
// or kBurstItems items) or the maker's end. Each side is woken only when what
// it waits for has come, so that neither is woken for each item the other
// handles. The maker never waits for the taker otherwise: a burst always comes.
template <typename T>
class BoundedAhead {
 public:
  // Few enough that a window taking them stays responsive whatever each costs.
  static constexpr std::size_t kBurstItems = 16;
  // Items given back that wait for the maker to free them.
  static constexpr std::size_t kMostGivenBack = 64;
  // How often a taker that waits asks whether to stop.
  static constexpr std::chrono::milliseconds kStopLook{25};

  // `make` runs on the second thread: before each item it asks Room, and ends
  // when it has no more items or Room says no. What it throws reaches the
  // taker after the items it put.
  BoundedAhead(std::size_t mostBytes, std::function<void(BoundedAhead&)> make)
      : mostBytes_(mostBytes), thread_([this, make = std::move(make)] { Run(make); }) {}
  // Stops the maker at its next Room, or where it looks at Stopping, and waits for it.
  ~BoundedAhead() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    roomMade_.notify_one();
    thread_.join();
  }
  BoundedAhead(const BoundedAhead&) = delete;
  BoundedAhead& operator=(const BoundedAhead&) = delete;

  // The maker's: waits until the items not taken leave room; false once the
  // taker is gone. Frees the items given back since it last looked.
  bool Room() {
    {
      std::unique_lock lock(mutex_);
      if (bytes_ >= mostBytes_) {
        makerWaits_ = true;
        roomMade_.wait(lock, [&] { return stopping_ || bytes_ <= mostBytes_ / 2; });
        makerWaits_ = false;
      }
      givenBack_.swap(freeing_);
    }
    freeing_.clear();  // keeps its capacity for the next swap
    return !stopping_;
  }
  // The taker's: an item it is done with, to be freed on the maker's thread.
  // Memory freed on another thread than the one that took it from the
  // allocator waits for that thread's allocator lock, item after item, while
  // the maker allocates; the maker frees them together between two items
  // instead. At most kMostGivenBack items wait so; past that, or once the
  // maker has ended, an item is freed here.
  void GiveBack(T spent) {
    const std::lock_guard lock(mutex_);
    if (!ended_ && givenBack_.size() < kMostGivenBack) {
      givenBack_.push_back(std::move(spent));
    }
  }  // `spent`, when kept out, is freed after the lock is let go

  // The maker's: the next item, holding `bytes` of memory.
  void Put(T item, std::size_t bytes) {
    bool wake = false;
    {
      const std::lock_guard lock(mutex_);
      bytes_ += bytes;
      items_.push_back({std::move(item), bytes});
      wake = takerWaits_ && BurstReady();
    }
    if (wake) {
      itemReady_.notify_one();
    }
  }
  // The maker's: whether the taker has fewer than a burst of items left to
  // take, and so time to do some of the making itself.
  bool TakerKeepsUp() {
    const std::lock_guard lock(mutex_);
    return items_.size() < kBurstItems;
  }
  // The maker's: whether the taker is gone, for long work between two items.
  bool Stopping() const { return stopping_.load(std::memory_order_relaxed); }

  // The next item, waited for; nothing once the maker has ended and every
  // item is taken. Rethrows what the maker threw, after its items. While it
  // waits, `stop` (when given) is asked every kStopLook, without the lock:
  // long work of the maker's (a palette chosen from every picture) does not
  // hold off a stop, which throws CancelledError.
  std::optional<T> Take(const std::function<bool()>& stop = nullptr) {
    std::unique_lock lock(mutex_);
    if (items_.empty()) {
      takerWaits_ = true;
      if (!stop) {
        itemReady_.wait(lock, [&] { return BurstReady(); });
      } else {
        while (!itemReady_.wait_for(lock, kStopLook, [&] { return BurstReady(); })) {
          lock.unlock();
          const bool stopNow = stop();
          lock.lock();
          if (stopNow) {
            takerWaits_ = false;
            throw CancelledError();
          }
        }
      }
      takerWaits_ = false;
    }
    if (items_.empty()) {
      if (fault_) {
        std::rethrow_exception(std::exchange(fault_, nullptr));
      }
      return std::nullopt;
    }
    Item item = std::move(items_.front());
    items_.pop_front();
    bytes_ -= item.bytes;
    const bool roomMade = makerWaits_ && bytes_ <= mostBytes_ / 2;
    lock.unlock();
    if (roomMade) {
      roomMade_.notify_one();
    }
    return std::move(item.value);
  }

 private:
  struct Item {
    T value;
    std::size_t bytes;
  };

  // Under the lock: what a taker that ran dry waits for.
  bool BurstReady() const {
    return ended_ || items_.size() >= kBurstItems || (!items_.empty() && bytes_ >= mostBytes_ / 2);
  }

  void Run(const std::function<void(BoundedAhead&)>& make) {
    std::exception_ptr fault;
    try {
      make(*this);
    } catch (...) {
      fault = std::current_exception();
    }
    bool wake = false;
    {
      const std::lock_guard lock(mutex_);
      fault_ = fault;
      ended_ = true;
      wake = takerWaits_;
    }
    if (wake) {
      itemReady_.notify_one();
    }
  }

  const std::size_t mostBytes_;
  std::mutex mutex_;
  std::deque<Item> items_;
  std::size_t bytes_ = 0;
  bool ended_ = false;
  std::exception_ptr fault_;
  std::condition_variable itemReady_;
  bool takerWaits_ = false;
  std::condition_variable roomMade_;
  bool makerWaits_ = false;
  std::vector<T> givenBack_;  // under the lock
  std::vector<T> freeing_;    // the maker's
  // Set under the lock, read without it by Stopping.
  std::atomic<bool> stopping_ = false;
  // Last: the thread starts once everything it uses is made.
  std::thread thread_;
};

}  // namespace sprite::pipeline
