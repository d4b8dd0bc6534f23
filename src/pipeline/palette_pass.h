// Encode's palette pass: the target palette of a run's PNG pictures, made from
// their palettes alone (PLTE and tRNS), without decoding any pixels; and the
// files it read whole, kept so that a set of sprites is opened once.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "common/bytes.h"
#include "files/file_system.h"
#include "pipeline/target_palette.h"

namespace sprite::pipeline {

// Listed PNG files the palette pass read whole, for the read-ahead to decode
// rather than open again: at most kMostBytes together.
class KeptFiles {
 public:
  static constexpr std::size_t kMostBytes = std::size_t{1} << 19;

  bool Takes(std::size_t size) const { return size <= kMostBytes - bytes_; }
  // Keeps the file of list index `index`, if it Takes its size; indexes rise.
  void Keep(std::size_t index, Bytes file);
  // The file kept for list index `index`; those kept for indexes before it are given up.
  std::optional<Bytes> Take(std::size_t index);

 private:
  std::deque<std::pair<std::size_t, Bytes>> files_;
  std::size_t bytes_ = 0;
};

// The palette pass, at the first PNG picture a run reads, whose file is
// `first`: the target palette of that picture and of the PNG files at `rest`,
// the paths after it, of list indexes from `restIndex` on (files of other
// kinds are passed over). Shared when they share one, else built as the
// mapper meets the colours; the pass ends once it is settled. A file that
// cannot be read or whose start is damaged is left out, as reading it again
// will refuse it; with none left the palette is built. The files read whole go
// to `kept` as far as it takes them. A long list's first half is read on a
// second thread, its colours added in list order all the same. Throws InvalidArgumentError for an
// alpha threshold outside 1 to 255.
PictureMapper TargetPaletteOf(files::FileSystem& files, ByteView first,
                              std::span<const std::string> rest, std::size_t restIndex,
                              AlphaRule rule, KeptFiles& kept);

// What a run logs of the target palette when it is made.
std::vector<std::string> PaletteNotes(const PictureMapper& mapper);

}  // namespace sprite::pipeline
