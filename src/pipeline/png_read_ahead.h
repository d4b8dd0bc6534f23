#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "common/bytes.h"
#include "formats/png_picture.h"

namespace sprite::pipeline {

// PNG files the palette pass read whole, kept for their pixels so that a set
// of sprites is opened once rather than twice, and decoded on a second thread
// in list order as they come, so that inflating pictures overlaps the pass and
// then mapping, coding and writing the pictures before them. Each picture
// comes out as ReadPng gives it on the run's own thread, a fault included.
// Memory stays bounded whatever the number of pictures: files waiting to be
// decoded hold at most kMostFileBytes, decoded pictures not taken yet at most
// kMostAheadBytes (and at least one picture).
class PngReadAhead {
 public:
  static constexpr std::size_t kMostFileBytes = std::size_t{1} << 19;
  static constexpr std::size_t kMostAheadBytes = std::size_t{1} << 19;

  PngReadAhead();
  // Stops the thread once the picture it is decoding is done.
  ~PngReadAhead();
  PngReadAhead(const PngReadAhead&) = delete;
  PngReadAhead& operator=(const PngReadAhead&) = delete;

  // Whether a file of `size` bytes would be kept now.
  bool Takes(std::uint64_t size);
  // Keeps the whole file at `path` for decoding, if Takes its size.
  void Keep(const std::string& path, Bytes file);

  // The picture of the next file kept under `path`, waited for; the files
  // kept before it that were not taken are given up, as the run goes on in
  // list order. Nothing when no file after the last one taken was kept under
  // `path`. Rethrows what ReadPng threw for it.
  std::optional<formats::PngPicture> Take(const std::string& path);

 private:
  struct Slot {
    std::string path;
    Bytes file;
    std::optional<formats::PngPicture> picture;
    std::exception_ptr fault;
    bool done = false;     // decoded, or passed over
    bool givenUp = false;  // taken, or passed over by a later Take
  };

  void Work();

  // A deque: a slot stays where it is while the worker reads its file. Slots
  // taken and done leave its front; slot i of the run is slots_[i - first_].
  std::deque<Slot> slots_;
  std::size_t first_ = 0;
  std::mutex mutex_;
  // Each side is woken only when what it waits for may have come, so that
  // neither is woken for each picture the other handles.
  enum class WorkerWait { kNot, kFile, kRoom };
  std::condition_variable workerWake_;
  WorkerWait workerWaits_ = WorkerWait::kNot;
  std::condition_variable pictureDone_;
  std::size_t runWaitsFor_ = kNoSlot;  // the slot Take waits on
  static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
  std::size_t taken_ = 0;       // slots before this one are given up
  std::size_t fileBytes_ = 0;   // of files not decoded yet
  std::size_t aheadBytes_ = 0;  // of decoded pictures not taken
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace sprite::pipeline
