// Which entry of an archive the viewer shows, and its playing: stepping,
// going to the ends, and playing the entries as an animation at a frame rate
// the user changes.
#pragma once

#include <cstdint>

namespace sprite::viewer {

// Frames a second a player starts at, and the rates [ and ] step through.
inline constexpr std::int32_t kDefaultFramesPerSecond = 10;
inline constexpr std::int32_t kFrameRates[] = {1, 2, 3, 4, 5, 6, 8, 10, 12, 15, 20, 24, 30, 60};
// Page Up and Page Down step by this many entries.
inline constexpr std::int32_t kPageEntries = 10;

class EntryPlayer {
 public:
  // Entries 1 to `count`, the first one shown.
  explicit EntryPlayer(std::int32_t count) : count_(count) {}

  std::int32_t Entry() const { return entry_; }
  std::int32_t Count() const { return count_; }
  bool Playing() const { return playing_; }
  std::int32_t FramesPerSecond() const { return framesPerSecond_; }
  // The time between two frames while playing, in milliseconds.
  std::int32_t IntervalMs() const { return 1000 / framesPerSecond_; }

  // Steps by `entries` (back when negative), stopping at the first and the
  // last; playing stops, as a user who steps looks at one entry.
  void Step(std::int32_t entries);
  void First();
  void Last();
  // Plays or stops; an archive of one entry has nothing to play.
  void PlayOrStop();
  void Stop() { playing_ = false; }
  // The next frame while playing: after the last comes the first again.
  void NextFrame();
  // The next rate of kFrameRates, up or down; the ends stay.
  void Faster();
  void Slower();
  // The archive holds another number of entries now: the entry shown stays
  // within them.
  void SetCount(std::int32_t count);

 private:
  std::int32_t count_;
  std::int32_t entry_ = 1;
  bool playing_ = false;
  std::int32_t framesPerSecond_ = kDefaultFramesPerSecond;
};

}  // namespace sprite::viewer
