#include "pipeline/palette_reads.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <utility>

#include "common/error.h"
#include "files/whole_file.h"
#include "pipeline/palette_pass.h"
#include "pipeline/picture_file.h"

namespace sprite::pipeline {

namespace {

// PLTE and tRNS come before the image data, and in a sprite within its first bytes.
constexpr std::size_t kColoursPrefix = 64 * 1024;

// The colours of the PNG file `file`, list index `index`; nothing for another
// file or one that cannot be read. A file read whole goes to `kept`, if any.
std::optional<formats::PngColours> ColoursOf(ByteSource& file, std::size_t index, KeptFiles* kept) {
  try {
    // A sprite's file is read whole at once, into the bytes kept.
    Bytes start(static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kColoursPrefix)));
    file.ReadAt(0, start);
    if (!formats::IsPng(start)) {
      return std::nullopt;
    }
    if (auto colours = formats::ReadPngColours(start)) {
      if (kept != nullptr && start.size() == file.Size()) {
        kept->Keep(index, std::move(start));
      }
      return colours;
    }
    return formats::ReadPngColours(files::ReadWhole(file, kMaxPngFileBytes));
  } catch (const FaultError&) {
    return std::nullopt;
  }
}

// Whether no palette is shared with a picture of the form of `colours`.
bool SharesNothing(const formats::PngColours& colours) {
  return colours.form != formats::PngForm::kIndexed;
}

// Adds the colours of the next file to `read`; false when reading stops there.
bool Add(ColoursRead& read, std::optional<formats::PngColours> colours) {
  ++read.filesRead;
  if (!colours) {
    return true;
  }
  if (!read.runs.empty() && read.runs.back().colours.form == colours->form &&
      read.runs.back().colours.palette == colours->palette) {
    ++read.runs.back().files;
  } else {
    read.runs.push_back({std::move(*colours), 1});
  }
  return !SharesNothing(read.runs.back().colours) && read.runs.size() < ColoursRead::kMostRuns;
}

// Reads the colours of `paths` on a thread of its own.
class ReadOnAThread {
 public:
  ReadOnAThread(files::FileSystem& files, std::span<const std::string> paths,
                std::size_t firstIndex, KeptFiles& kept)
      : thread_([this, &files, paths, firstIndex, &kept] { Run(files, paths, firstIndex, kept); }) {
  }
  ~ReadOnAThread() {
    stop_ = true;
    Finish();
  }
  ReadOnAThread(const ReadOnAThread&) = delete;
  ReadOnAThread& operator=(const ReadOnAThread&) = delete;

  // Whether reading stopped at a picture no palette is shared with.
  bool SharesNothing() const { return sharesNothing_; }
  // Waits for the reading to end; the colours read.
  ColoursRead Finish() {
    if (thread_.joinable()) {
      thread_.join();
    }
    return std::move(read_);
  }

 private:
  void Run(files::FileSystem& files, std::span<const std::string> paths, std::size_t firstIndex,
           KeptFiles& kept) {
    try {
      for (const std::string& path : paths) {
        if (stop_ || !Add(read_, ColoursAt(files, path, firstIndex + read_.filesRead, &kept))) {
          break;
        }
      }
      sharesNothing_ = !read_.runs.empty() && pipeline::SharesNothing(read_.runs.back().colours);
    } catch (...) {
      // Out of memory: the pass reads the rest itself.
    }
  }

  ColoursRead read_;
  std::atomic<bool> stop_ = false;
  std::atomic<bool> sharesNothing_ = false;
  // Last: the thread starts once everything it uses is made.
  std::thread thread_;
};

}  // namespace

std::optional<formats::PngColours> ColoursAt(files::FileSystem& files, const std::string& path,
                                             std::size_t index, KeptFiles* kept) {
  try {
    const auto file = files.OpenForReading(path);
    return ColoursOf(*file, index, kept);
  } catch (const FaultError&) {
    return std::nullopt;
  }
}

std::pair<ColoursRead, ColoursRead> ReadColoursInTwo(files::FileSystem& files,
                                                     std::span<const std::string> paths,
                                                     std::size_t firstIndex, std::size_t split,
                                                     KeptFiles& kept) {
  ReadOnAThread before(files, paths.first(split), firstIndex, kept);
  ColoursRead after;
  for (std::size_t i = split; i < paths.size() && !before.SharesNothing(); ++i) {
    if (!Add(after, ColoursAt(files, paths[i], firstIndex + i, nullptr))) {
      break;
    }
  }
  return {before.Finish(), std::move(after)};
}

}  // namespace sprite::pipeline
