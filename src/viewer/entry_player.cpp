#include "viewer/entry_player.h"

#include <algorithm>
#include <iterator>

namespace sprite::viewer {

void EntryPlayer::Step(std::int32_t entries) {
  playing_ = false;
  entry_ = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(std::int64_t{entry_} + entries, 1, std::max(count_, 1)));
}

void EntryPlayer::First() {
  playing_ = false;
  entry_ = 1;
}

void EntryPlayer::Last() {
  playing_ = false;
  entry_ = std::max(count_, 1);
}

void EntryPlayer::PlayOrStop() {
  playing_ = !playing_ && count_ > 1;
}

void EntryPlayer::NextFrame() {
  if (playing_) {
    entry_ = entry_ >= count_ ? 1 : entry_ + 1;
  }
}

void EntryPlayer::Faster() {
  const auto* next =
      std::upper_bound(std::begin(kFrameRates), std::end(kFrameRates), framesPerSecond_);
  if (next != std::end(kFrameRates)) {
    framesPerSecond_ = *next;
  }
}

void EntryPlayer::Slower() {
  const auto* at =
      std::lower_bound(std::begin(kFrameRates), std::end(kFrameRates), framesPerSecond_);
  if (at != std::begin(kFrameRates)) {
    framesPerSecond_ = *std::prev(at);
  }
}

void EntryPlayer::SetCount(std::int32_t count) {
  count_ = count;
  entry_ = std::clamp(entry_, 1, std::max(count_, 1));
  if (count_ <= 1) {
    playing_ = false;
  }
}

}  // namespace sprite::viewer
