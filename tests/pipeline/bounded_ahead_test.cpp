#include "pipeline/bounded_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

namespace sprite::pipeline {
namespace {

TEST(BoundedAhead, GivesEveryItemInOrderWithinItsBoundThenWhatTheMakerThrew) {
  constexpr int kItems = 1000;
  std::atomic<int> taken = 0;
  int mostWaiting = 0;
  {
    BoundedAhead<int> ahead(100, [&](BoundedAhead<int>& maker) {
      for (int i = 0; i < kItems && maker.Room(); ++i) {
        mostWaiting = std::max(mostWaiting, i - taken.load());
        maker.Put(i, 10);
      }
      throw std::runtime_error("the maker's fault");
    });
    for (int i = 0; i < kItems; ++i) {
      ASSERT_EQ(ahead.Take(), i);
      ++taken;
    }
    EXPECT_THROW(ahead.Take(), std::runtime_error);
    EXPECT_EQ(ahead.Take(), std::nullopt);
  }
  // Ten items of ten bytes fill the bound; one more may be on its way to the taker.
  EXPECT_LE(mostWaiting, 11);
}

TEST(BoundedAhead, ATakerThatGoesStopsTheMakerWhereverItWaitsOrWorks) {
  for (const bool working : {false, true}) {
    SCOPED_TRACE(working ? "working" : "waiting for room");
    std::atomic<bool> stopped = false;
    {
      BoundedAhead<int> ahead(10, [&](BoundedAhead<int>& maker) {
        maker.Put(1, 10);
        maker.Put(2, 10);
        if (working) {
          while (!maker.Stopping()) {
          }
          stopped = true;
        } else {
          stopped = !maker.Room();  // one item taken leaves it at the bound
        }
      });
      EXPECT_EQ(ahead.Take(), 1);
    }
    EXPECT_TRUE(stopped);
  }
}

TEST(BoundedAhead, ATakerThatRanDryIsWokenByABurstAndNeverEndsBeforeTheMaker) {
  using namespace std::chrono_literals;
  constexpr int kBurst = static_cast<int>(BoundedAhead<int>::kBurstItems);
  for (const std::size_t most : {0U, 1U, 100U}) {
    for (const std::size_t bytes : {0U, 1U, 1000U}) {
      SCOPED_TRACE("bound " + std::to_string(most) + ", items of " + std::to_string(bytes));
      std::atomic<bool> taken = false;
      bool burstReachedTaker = false;
      {
        BoundedAhead<int> ahead(most, [&](BoundedAhead<int>& maker) {
          for (int i = 0; i < kBurst && maker.Room(); ++i) {
            maker.Put(i, bytes);
          }
          // Bounded, so that a taker left waiting fails the test instead of hanging it.
          for (int wait = 0; wait < 5000 && !taken; ++wait) {
            std::this_thread::sleep_for(1ms);
          }
          burstReachedTaker = taken;
          std::this_thread::sleep_for(5ms);  // the taker runs dry again
          if (maker.Room()) {
            maker.Put(kBurst, bytes);
          }
        });
        for (int i = 0; i <= kBurst; ++i) {
          ASSERT_EQ(ahead.Take(), i);
          taken = true;
        }
        EXPECT_EQ(ahead.Take(), std::nullopt);
      }
      EXPECT_TRUE(burstReachedTaker);
    }
  }
}

// An item that tells which thread freed it.
struct FreedOn {
  std::thread::id* thread;
  void operator()(int* item) const {
    *thread = std::this_thread::get_id();
    delete item;
  }
};
using Tracked = std::unique_ptr<int, FreedOn>;

TEST(BoundedAhead, AnItemGivenBackIsFreedOnTheMakersThreadWhileItRuns) {
  using namespace std::chrono_literals;
  for (const bool makerEnded : {false, true}) {
    SCOPED_TRACE(makerEnded ? "maker ended" : "maker running");
    std::thread::id maker;
    std::thread::id freedOn;
    std::atomic<bool> givenBack = false;
    {
      BoundedAhead<Tracked> ahead(100, [&](BoundedAhead<Tracked>& making) {
        maker = std::this_thread::get_id();
        making.Put(Tracked(new int(1), {&freedOn}), 100);  // a burst alone
        for (int wait = 0; wait < 5000 && !makerEnded && !givenBack; ++wait) {
          std::this_thread::sleep_for(1ms);
        }
        making.Room();
      });
      Tracked item = std::move(ahead.Take().value());
      if (makerEnded) {
        EXPECT_EQ(ahead.Take(), std::nullopt);
      }
      ahead.GiveBack(std::move(item));
      givenBack = true;
    }
    EXPECT_EQ(freedOn, makerEnded ? std::this_thread::get_id() : maker);
  }
}

}  // namespace
}  // namespace sprite::pipeline
