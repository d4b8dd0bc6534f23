// Encode's listed pictures, read on a second thread in list order ahead of the
// run's store loop.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/file_system.h"
#include "formats/png_picture.h"
#include "pipeline/bounded_ahead.h"
#include "pipeline/colour_mapping.h"
#include "pipeline/palette_pass.h"
#include "pipeline/picture_source.h"
#include "pipeline/target_palette.h"

namespace sprite::pipeline {

// One listed picture, as the store loop takes it.
struct AheadPicture {
  // Log lines that come before the picture's own: what the palette pass made
  // of the PNG pictures' palette, with the first PNG picture.
  std::vector<std::string> notes;
  SourcePicture picture;
  // What reading the picture threw instead; its path is named.
  std::exception_ptr fault;
};

// Each listed file is opened once where it can be, read and decoded (a bitmap
// with its own palette, a PNG picture mapped to the target palette). Bitmaps
// before the first PNG picture are read on the run's thread, where handing
// them over would cost more than it overlaps; from the first PNG picture on,
// a second thread reads ahead, so that decoding overlaps coding and writing
// the pictures before it. At the first PNG picture the thread runs the
// palette pass over the files after it, which keeps the files it reads whole
// for the thread to decode. The run's thread maps each PNG picture as it takes
// it, in list order as a built palette grows; once the target palette is made,
// the thread hands it the files undecoded while it keeps up, so that neither
// thread waits long for the other. The pictures not taken yet hold at most
// kMostAheadBytes (and at least one).
class EncodeReadAhead {
 public:
  static constexpr std::size_t kMostAheadBytes = std::size_t{1} << 19;

  // `paths` outlive this. `given` is the palette file's target palette; without
  // one the palette pass makes it, or chooses it as `mapping` asks.
  // `shouldStop` is asked while Next waits for the thread. Unless the pictures
  // are `sheets`, a PNG picture no entry can hold is refused from its header.
  EncodeReadAhead(files::FileSystem& files, std::span<const std::string> paths, AlphaRule rule,
                  std::optional<PictureMapper> given, ColourMapping mapping = {},
                  std::function<bool()> shouldStop = nullptr, bool sheets = false);

  // The next listed picture, waited for: one call for each path. Throws
  // CancelledError when asked to stop while it waits.
  AheadPicture Next();
  // The target palette, once every picture was taken: the given one, or the
  // one the palette pass made; nothing when no PNG picture was read.
  const PictureMapper* TargetPalette();

 private:
  // A listed picture as the thread reads it: a PNG picture not mapped yet.
  struct Decoded {
    AheadPicture ahead;
    std::optional<formats::PngPicture> png;
    // A PNG file read whole but not decoded, which the run's thread decodes.
    std::optional<Bytes> pngFile;
  };

  // The bitmap at `index` read here, or nothing when the file is a PNG
  // picture, which is then read whole into `png` for the thread.
  std::optional<AheadPicture> ReadHereUnlessPng(std::size_t index, Bytes& png);
  // Reads the pictures from list index `from` on, whose file is `first`.
  void Make(BoundedAhead<Decoded>& ahead, std::size_t from, Bytes first);
  void Decode(BoundedAhead<Decoded>& ahead, std::size_t index, Decoded& decoded);
  // Decodes the PNG picture, making the target palette at the first one.
  formats::PngPicture ReadPng(const BoundedAhead<Decoded>& ahead, Bytes file, std::size_t index,
                              std::vector<std::string>& notes);
  // Decodes the PNG picture of list index `index`; a fault names its path.
  formats::PngPicture DecodePng(ByteView file, std::size_t index) const;

  files::FileSystem& files_;
  std::span<const std::string> paths_;
  AlphaRule rule_;
  ColourMapping mapping_;
  formats::PngLimits limits_;
  // Made on the thread before it puts the first PNG picture; used by the run's
  // thread from when it takes that picture on.
  std::optional<PictureMapper> mapper_;
  KeptFiles kept_;
  // The next listed picture Next hands out.
  std::size_t next_ = 0;
  bool ended_ = false;
  // Last: made at the first PNG picture, its thread ends before the rest goes.
  std::function<bool()> shouldStop_;
  std::optional<BoundedAhead<Decoded>> ahead_;
};

}  // namespace sprite::pipeline
